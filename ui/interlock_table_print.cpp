#include "ui/interlock_table_print.h"

#include "interlock/cp1251.h"
#include "interlock/workspace.h"
#include "ui/dialogs.h"

namespace ui {

// Until the document is built, the action says so.
void PrintInterlockTable(interlock::Workspace&, Dialogs& dialogs, QWidget*) {
    dialogs.Message({cp1251::FromUtf8("Печать таблицы блокировок пока недоступна."),
                     cp1251::FromUtf8("Печать таблицы блокировок"), interlock::Icon::Information});
}

}  // namespace ui
