#include "acquisition/ts_source.h"

#include <algorithm>

namespace acquisition {

void TsSource::ReceptionChanged() {
    if (rule_) rule_->Changed(*this);
}

void ReceptionRule::Add(TsSource& source) {
    source.rule_ = this;
    sources_.push_back(&source);
}

void ReceptionRule::Changed(TsSource& source) {
    const bool on = source.Receiving();
    for (TsSource* other : sources_) {
        if (other != &source) other->AllowReception(!on);
    }
}

void ReceptionRule::Settle() {
    // The strongest receiving source wins; the weaker ones are switched off.
    auto winner =
        std::find_if(sources_.rbegin(), sources_.rend(), [](TsSource* s) { return s->Receiving(); });
    for (auto it = sources_.rbegin(); it != sources_.rend(); ++it) {
        if (it != winner && (*it)->Receiving()) (*it)->StopReceiving();
    }
    for (TsSource* source : sources_) {
        const bool otherReceives = std::any_of(sources_.begin(), sources_.end(), [source](TsSource* s) {
            return s != source && s->Receiving();
        });
        source->AllowReception(!otherReceives);
    }
}

}  // namespace acquisition
