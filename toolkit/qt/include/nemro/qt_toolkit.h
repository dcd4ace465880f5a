// Qt 6 Widgets behind the toolkit interfaces: the application, the message box,
// list boxes, labels, text metrics and twips geometry.
#pragma once

#include <QMetaObject>
#include <QString>
#include <functional>
#include <string>

#include "nemro/message_box.h"
#include "nemro/toolkit.h"

class QApplication;
class QDialog;
class QLabel;
class QListWidget;
class QWidget;

namespace nemro::qt {

// The host's QApplication, or one created for a host that has none. Fails when the
// host runs a QCoreApplication or QGuiApplication, which cannot show widgets.
QApplication& ensureQApplication();

// Fails with a NemroError (source `source`) unless called on the thread that owns
// the Qt application: widgets must never be touched from another thread.
void requireApplicationThread(const std::string& source);

// The message box function showing a QMessageBox with an OK button only. Without a
// QApplication (or off its thread) it writes the message to standard error instead.
MessageBoxFunction qtMessageBox();
// Installs qtMessageBox() through setMessageBox and returns the function it replaced.
MessageBoxFunction installQtMessageBox();

// Runs a user-driven handler; a failure it raises is shown in a critical message box
// with its description and source instead of escaping into the Qt event loop.
void runGuarded(const std::function<void()>& handler) noexcept;
// The text shown for a failure that reaches the user that way.
std::string failureText(const std::exception& e);

// Makes `dialog` a modal dialog with a fixed frame, without minimise and maximise
// buttons, in the small fixed font that keeps texts inside twip geometry whatever
// font the host application uses.
void makeFixedDialog(QDialog& dialog);

// Geometry: twips map to device-independent pixels at kTwipsPerPixel.
int twipsToPixels(int twips);
int pixelsToTwips(int pixels);

// Places a widget in twips. The twips are kept as the widget's properties
// "twipsLeft", "twipsTop", "twipsWidth" and "twipsHeight", so that a geometry read
// back gives the exact twips given rather than a rounded pixel count.
void setTwipsGeometry(QWidget& w, int left, int top, int width, int height);
void setTwipsLeft(QWidget& w, int left);
void setTwipsTop(QWidget& w, int top);
int twipsLeft(const QWidget& w);
int twipsTop(const QWidget& w);
int twipsWidth(const QWidget& w);
int twipsHeight(const QWidget& w);

// A QListWidget as IListBox. `onClick` is the list's click handler: it runs for a
// selection made through SetListIndex (failures pass to the caller) and for one made
// by the user (failures are shown, see runGuarded).
class QtListBox final : public IListBox {
  public:
    QtListBox(QListWidget& list, std::function<void()> onClick);
    ~QtListBox() override;
    QtListBox(const QtListBox&) = delete;
    QtListBox& operator=(const QtListBox&) = delete;

    void Clear() override;
    void AddItem(const std::string& text) override;
    std::string ItemText(int index) const override;
    int ListCount() const override;
    int ListIndex() const override;
    void SetListIndex(int index) override;
    std::string Text() const override;
    void EnableVerticalScrollBar(bool enable) override;
    int ClientHeight() const override;

    QListWidget& widget() const { return list_; }

  private:
    QListWidget& list_;
    std::function<void()> onClick_;
    QMetaObject::Connection connection_;
};

class QtLabel final : public ILabel {
  public:
    explicit QtLabel(QLabel& label) : label_(label) {}
    std::string Caption() const override;
    void SetCaption(const std::string& caption) override;

  private:
    QLabel& label_;
};

class QtTextMetrics final : public ITextMetrics {
  public:
    explicit QtTextMetrics(const QWidget& w) : widget_(w) {}
    int TextHeight(const std::string& sample) const override;

  private:
    const QWidget& widget_;
};

inline QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
inline std::string ss(const QString& s) {
    return s.toStdString();
}

}  // namespace nemro::qt
