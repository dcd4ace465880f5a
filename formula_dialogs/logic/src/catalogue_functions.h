// The checks' answer to the engine's calls of functions it does not know. Not installed.
#pragma once

#include <string>

#include "nemro/catalogue.h"
#include "nemro/error.h"
#include "nemro/expression.h"
#include "nemro/formula_checks.h"

namespace nemro::dialogs {

// Answers from the catalogue; a catalogue failure is kept, so that a check can tell it
// from a formula error.
class CatalogueFunctions : public IExpressionListener {
  public:
    explicit CatalogueFunctions(const CatalogueRef& catalogue) : catalogue_(catalogue) {}

    void UserFunction(const std::string& Name, CExpElmStack&, std::string& Value) override {
        try {
            Value = catalogueFunctionStatus(Name, catalogue_);
        } catch (const NemroError&) {
            failed = true;
            throw;
        }
    }

    bool failed = false;

  private:
    const CatalogueRef& catalogue_;
};

}  // namespace nemro::dialogs
