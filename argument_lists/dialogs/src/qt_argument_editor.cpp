#include "nemro/qt_argument_editor.h"

#include "frm_argument_set1.h"
#include "nemro/argument_editor.h"
#include "nemro/qt_toolkit.h"

namespace nemro::qt {

ArgumentEditorFunction qtArgumentEditor() {
    return [](const std::string& list) {
        ensureQApplication();
        requireApplicationThread("CArgumentSet.SetArgument");
        ArgumentEditorFields& fields = argumentEditorFields();
        fields.m_sArgument = list;
        {
            dialogs::frmArgumentSet1 editor(fields);
            editor.exec();
        }
        return fields.m_sArgument;
    };
}

ArgumentEditorFunction installQtArgumentEditor() {
    return setArgumentEditor(qtArgumentEditor());
}

}  // namespace nemro::qt
