#pragma once

// Every layer keeps its fixed texts in one catalogue (a struct of Windows-1251 strings) and
// lists them by name, so that one golden listing shows every text of the program.

#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace interlock {

struct NamedText {
    std::string_view name;
    const std::string* text;
};
using TextList = std::vector<NamedText>;

// The list of a catalogue from its member names: `members` pairs a name with a pointer to member.
template <class Catalogue, class Members>
TextList ListTexts(const Catalogue& catalogue, const Members& members) {
    static_assert(sizeof(Catalogue) == std::extent_v<Members> * sizeof(std::string),
                  "every text of the catalogue is listed");
    TextList list;
    for (const auto& [name, member] : members) list.push_back({name, &(catalogue.*member)});
    return list;
}

}  // namespace interlock
