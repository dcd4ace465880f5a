// Qt-free interfaces of the dialog toolkit that the catalogue and the dialogs call.
// The Qt implementations live in toolkit/qt/; tests use small fakes.
#pragma once

#include <cstdint>
#include <string>

#include "nemro/export.h"

namespace nemro {

class NEMRO_API IListBox {
  public:
    virtual ~IListBox() = default;
    virtual void Clear() = 0;
    virtual void AddItem(const std::string& text) = 0;
    virtual std::string ItemText(int index) const = 0;  // from 0
    virtual int ListCount() const = 0;
    virtual int ListIndex() const = 0;  // -1 when nothing is selected
    // Selects the item and fires the list's click handler, as a user's click does.
    virtual void SetListIndex(int index) = 0;
    virtual std::string Text() const = 0;  // the selected item's text, "" when none
    virtual void EnableVerticalScrollBar(bool enable) = 0;
    // Height in twips of the area that shows items.
    virtual int ClientHeight() const = 0;
};

class NEMRO_API ILabel {
  public:
    virtual ~ILabel() = default;
    virtual std::string Caption() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
};

class NEMRO_API ITextMetrics {
  public:
    virtual ~ITextMetrics() = default;
    // Height in twips of one line of text in the dialog's current font.
    virtual int TextHeight(const std::string& sample) const = 0;
};

// Twips per device-independent pixel: the dialogs' twips divided by this give Qt units.
inline constexpr int kTwipsPerPixel = 15;

}  // namespace nemro
