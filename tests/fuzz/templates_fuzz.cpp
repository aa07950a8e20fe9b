// The templates reader, the substitution of parameters and the insertion into a block, on any
// library text. Each template is inserted with parameter values taken from the input.
//
// Input: one byte for the target block, then the library text.

#include <string>

#include "interlock/workspace.h"
#include "storage/templates.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const uint8_t seed = in.Byte();
    const storage::TemplateLibrary library = storage::ReadTemplates(in.Rest());
    FUZZ_CHECK(library.templates.size() <= static_cast<size_t>(storage::kTemplateSlots));

    interlock::Workspace ws;
    storage::ParameterValues values;
    for (int k = 1; k <= storage::kParameterCount; ++k) values[k] = std::to_string((k * 37 + seed) % 300);
    if (seed & 1) values[seed % storage::kParameterCount + 1] = "~12";  // not a number
    for (int n = 1; n <= library.TemplateCount(); ++n) {
        const storage::Template* t = library.Find(n);
        FUZZ_CHECK(t != nullptr && t->number == n);
        const storage::FieldLayout layout = storage::LayoutFor(*t);
        FUZZ_CHECK(layout.parameters.size() <= static_cast<size_t>(storage::kParameterCount));
        for (size_t k = 1; k <= static_cast<size_t>(storage::kParameterCount); ++k)
            FUZZ_CHECK(t->captions[k].size() <= storage::kCaptionLength);
        const int block = (seed + n) % 34;  // 0 and 33 are refused
        storage::Send_Template(ws, std::to_string(block), t, values, t->name);
    }
    FUZZ_CHECK(library.Find(0) == nullptr && library.Find(library.TemplateCount() + 1) == nullptr);
    return 0;
}
