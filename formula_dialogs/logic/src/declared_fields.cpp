#include "nemro/declared_fields.h"

#include "nemro/error.h"
#include "nemro/expression.h"
#include "nemro/text.h"

namespace nemro::dialogs {

std::string variableNameProblem(const std::string& name) {
    if (!name.empty() && text::isValidUtf8(name)) {
        try {
            const CExpElmStack postfix = CGNTExpression().InfixToPostfix(name);
            ExpElement element;
            // "(x)" and "x " read as x too, but only x itself is that variable's name.
            if (postfix.Count() == 1 && postfix.Peek(element) && element.Kind == ekVariable &&
                element.Text == name)
                return {};
        } catch (const NemroError&) {
        }
    }
    return "“" + name + "” is not a name that formulas read as one variable";
}

std::shared_ptr<const FieldSet> loadFieldFile(const std::string& path) {
    return loadFieldSet(path, variableNameProblem);
}

SampleValueLookup withFieldSamples(std::shared_ptr<const FieldSet> fields,
                                   SampleValueLookup others) {
    return [fields = std::move(fields),
            others = std::move(others)](const std::string& name) -> std::optional<std::string> {
        if (const Field* field = fields ? fields->find(name) : nullptr; field && field->sample)
            return field->sample->engineText();
        return others ? others(name) : std::nullopt;
    };
}

}  // namespace nemro::dialogs
