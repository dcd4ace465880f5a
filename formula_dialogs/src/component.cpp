// The shared library's own part. Loading it installs the Qt message box, so that the
// component's messages show in the host's user interface (the layer libraries alone
// leave that to their user: the tests install a recorder), and the Qt argument list
// editor behind CArgumentSet::SetArgument. The table below names the
// public members, so that the linker takes them, and all they need, from the layers.
#include <tuple>

#include "nemro/formula_edit.h"
#include "nemro/formula_set.h"
#include "nemro/qt_toolkit.h"
#ifdef NEMRO_HAVE_ARGUMENT_LISTS
#include "nemro/argument_set.h"
#include "nemro/qt_argument_editor.h"
#endif

namespace {
[[gnu::used]] const bool kMessageBoxInstalled = [] {
    nemro::qt::installQtMessageBox();
#ifdef NEMRO_HAVE_ARGUMENT_LISTS
    nemro::qt::installQtArgumentEditor();
#endif
    return true;
}();

[[gnu::used]] const auto kPublicMembers =
    std::make_tuple(&nemro::CFormulaSet::setFormula, &nemro::CFormulaSet::isCancel,
                    &nemro::cStack::Count, &nemro::cStack::Push, &nemro::cStack::Pop,
                    &nemro::cStack::RemoveAll, &nemro::CFormulaEdit::formula
#ifdef NEMRO_HAVE_ARGUMENT_LISTS
                    ,
                    &nemro::CArgumentSet::SetArgument, &nemro::CArgumentSet::GetValueByName
#endif
    );
}  // namespace
