#include "ui/main/window_settings.h"

#include <QCheckBox>
#include <QLineEdit>

#include "interlock/cp1251.h"
#include "ui/widgets/design_parts.h"
#include "ui/widgets/qt_text.h"
#include "ui/workbench/document.h"
#include "ui/workbench/workbench.h"

namespace ui {

WindowSettings::WindowSettings(Workbench& workbench, std::vector<BoxOption> boxes, QLineEdit* channel,
                               QLineEdit* rtu, std::string& serverName)
    : workbench_(workbench),
      boxes_(std::move(boxes)),
      channel_(channel),
      rtu_(rtu),
      serverName_(serverName) {}

std::string WindowSettings::FileName() const {
    return cp1251::ToUtf8(workbench_.Places().config) + "settings.ini";
}

void WindowSettings::Load() {
    storage::Settings s = storage::LoadSettings(FileName());
    for (const auto& [option, box] : boxes_) box->setChecked(s.*option);
    workbench_.Doc().SetTempCounter(s.temp_last);
    serverName_ = s.server_name;
    PutFieldText(channel_, ToQString(s.channel), kServerFieldLimit);
    PutFieldText(rtu_, ToQString(s.rtu), kServerFieldLimit);
}

void WindowSettings::Save() const {
    storage::Settings s;
    for (const auto& [option, box] : boxes_) s.*option = box->isChecked();
    s.temp_last = workbench_.Doc().TempCounter();
    s.file = workbench_.Ws().ConfigFileName;
    s.server_name = serverName_;
    s.channel = FromQString(channel_->text());
    s.rtu = FromQString(rtu_->text());
    storage::SaveSettings(FileName(), s, nullptr);
}

}  // namespace ui
