#include "ui/model/dialogs.h"

#include <utility>

namespace ui {

void ShowQueuedMessages(Dialogs& dialogs, interlock::Workspace& ws) {
    // A box may lead to more messages being queued; take the queue over before showing.
    while (!ws.Messages.empty()) {
        std::vector<interlock::Message> queued = std::move(ws.Messages);
        ws.Messages.clear();
        for (const interlock::Message& message : queued) dialogs.Message(message);
    }
}

}  // namespace ui
