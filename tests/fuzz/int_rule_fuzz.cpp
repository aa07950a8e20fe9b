// The integer rule: the quick path for plain digits and the general rule agree, every range
// test agrees with the number itself, and a number read back from its decimal text is the same.
//
// Input: four bytes of lo, four of hi, then the text.

#include <cstring>
#include <string>

#include "interlock/int_rule.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    int32_t lo = 0;
    int32_t hi = 0;
    const std::string_view l = in.Bytes(4);
    const std::string_view h = in.Bytes(4);
    std::memcpy(&lo, l.data(), l.size());
    std::memcpy(&hi, h.data(), h.size());
    const std::string_view text = in.Rest();

    const std::optional<int32_t> number = interlock::ParseInt(text);
    int32_t quick = 0;
    int32_t general = 0;
    const bool inQuick = interlock::IsIntInRange(text, lo, hi, &quick);
    const bool inGeneral = interlock::detail::IsIntInRangeGeneral(text, lo, hi, &general);
    FUZZ_CHECK(inQuick == inGeneral);
    FUZZ_CHECK(inQuick == (number && lo <= *number && *number <= hi));
    if (inQuick) FUZZ_CHECK(quick == *number && general == *number);

    int32_t whole = 0;
    FUZZ_CHECK(interlock::IsIntInRange(text, INT32_MIN, INT32_MAX, &whole) == number.has_value());
    if (number) {
        FUZZ_CHECK(whole == *number);
        FUZZ_CHECK(interlock::ParseInt(std::to_string(*number)) == number);
    }
    return 0;
}
