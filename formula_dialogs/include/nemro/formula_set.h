// The public formula service: CFormulaSet opens the formula dialogs; cStack is a stack of
// formula texts for the host's own use.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nemro/export.h"

namespace nemro {

// Declared in nemro/field_set.h, which a host that declares names includes.
struct Field;
class FieldSet;

// The dialogs setFormula shows: the classic chooser and argument dialog, or the modern
// ones (search, recently used, help). Both run the same exchange.
enum class DialogStyle { Classic, Modern };

class CFunctionRegistry;  // nemro/functions.h

// Each object keeps its own options (style, settings scope, sample values), so that two
// objects can serve two forms of one host; isCancel is the thread's.
class NEMRO_API CFormulaSet {
  public:
    // The style of this object's later setFormula calls; classic until set.
    void setDialogStyle(DialogStyle style);
    DialogStyle dialogStyle() const;
    // Where the modern dialogs keep the recently used functions and their window sizes
    // between runs (QSettings organization and application); "" for either is the host
    // application's own name.
    void setSettingsScope(const std::string& organization, const std::string& application);
    // Forgets the recently used functions of the current settings scope.
    void clearRecentFunctions();

    // Lets the user compose a formula; with sFormerFormula, re-edits that formula.
    // Returns the completed formula, or "" when the exchange ended without one.
    // Must run on the thread of the Qt application; creates one for a host without.
    std::string setFormula(const std::string& sFormerFormula = "");
    // True when the last setFormula of this thread ended without a completed formula.
    bool isCancel() const;

    // Sample values of the host's variables, so that the argument dialog can show what
    // an argument comes to: {{"基本工资", "8000"}}, each written as the engine reads a
    // variable's value ("8000", "\"文本\"", "True"; other text is a string) and found
    // without regard to letter case, or a lookup that answers a name or gives none.
    // For this object's dialogs; each call replaces the values or lookup given before.
    using SampleValueLookup = std::function<std::optional<std::string>(const std::string& name)>;
    void setSampleValues(const std::map<std::string, std::string>& values);
    void setSampleValues(SampleValueLookup lookup);
    // The sample value of a variable, none when the host gave none.
    std::optional<std::string> sampleValue(const std::string& name) const;

    // The host's declared names (fields) for this object's dialogs: the modern chooser
    // lists them, the modern check refuses other names and evaluates each with its sample
    // value, which takes the place of setSampleValues for that name. Each call replaces
    // the names declared before; a malformed set (an empty or duplicate name, one the
    // engine would not read as one variable, a sample of another type) fails with
    // err::FieldFile and keeps them.
    void setFields(std::vector<Field> fields);
    // The same from a field file, or from its text: UTF-8 CSV with the header
    // name,type,group,description,sample (only name required).
    void setFieldFile(const std::string& path);
    void setFieldsCsv(std::string_view csv);
    // One more name after those declared.
    void addField(Field field);
    // The names declared; none before any.
    std::shared_ptr<const FieldSet> fields() const { return fields_; }
    // Functions this object's host computes: the modern dialogs' previews and check call
    // them (over the library's function of the same name); the classic dialogs answer
    // them from the catalogue. TODAY() and NOW() there as of `setNow` (a serial number,
    // nemro/functions.h), the local time when none is set.
    CFunctionRegistry& registeredFunctions();
    void setNow(std::optional<double> serial) { now_ = serial; }

  private:
    DialogStyle style_ = DialogStyle::Classic;
    std::string settingsOrganization_, settingsApplication_;
    SampleValueLookup samples_;
    std::shared_ptr<const FieldSet> fields_;
    std::shared_ptr<CFunctionRegistry> functions_;
    std::optional<double> now_;
};

class NEMRO_API cStack {
  public:
    std::int16_t Count() const;
    // Adds sFormula on top; fails with an overflow error at 32767 entries.
    void Push(const std::string& sFormula);
    // Removes and returns the top entry; "" on an empty stack.
    std::string Pop();
    void RemoveAll();

  private:
    std::map<std::int16_t, std::string> entries_;  // bottom entry has key 1
};

}  // namespace nemro
