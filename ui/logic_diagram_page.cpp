#include "ui/logic_diagram_page.h"

#include <QLabel>

#include "interlock/cp1251.h"
#include "ui/qt_text.h"

namespace ui {

// Until the diagram is built, the page says so.
QWidget* CreateLogicDiagramPage(TForm1&, TForm_Analysis&, QWidget* parent) {
    auto* page = new QLabel(ToQString(cp1251::FromUtf8("Схема логики пока не построена")), parent);
    page->setAlignment(Qt::AlignCenter);
    page->setObjectName("Logic_Diagram_Placeholder");
    return page;
}

}  // namespace ui
