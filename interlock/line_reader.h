#pragma once

// Reading the parts of a logic line by the rules of the line procedure, shared by the parse of
// the text and the compiler of its form.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "interlock/engine_texts.h"
#include "interlock/int_rule.h"
#include "interlock/workspace.h"

namespace interlock::line_reader {

struct LineError {
    std::string message;
};

inline std::string Quoted(const std::string& prefix, std::string_view body) {
    std::string s = prefix;
    s.append(body);
    s.push_back('"');
    return s;
}

inline uint32_t DigitValue(char c) { return static_cast<uint32_t>(static_cast<unsigned char>(c)) - '0'; }

// The common operand, read in one walk: an optional "~", the letter S, D or M, then one to three
// decimal digits that read 1..256, ended by "," or ")" or the end of the line. On success `end`
// is the position of the character that ended it. Any other operand, well formed or not, is
// left to the general reading of the line procedure.
inline bool ReadPlainOperand(std::string_view line, size_t start, size_t& end, bool& inverted, char& letter,
                             int32_t& n) {
    const char* const s = line.data();
    const size_t len = line.size();
    size_t i = start;
    const bool tilde = i < len && s[i] == '~';
    if (tilde) ++i;
    if (i + 1 >= len) return false;  // no room for the letter and a digit
    const char c = s[i];
    if (c != 'S' && c != 'D' && c != 'M') return false;
    uint32_t v = DigitValue(s[++i]);
    if (v > 9) return false;
    if (++i < len && DigitValue(s[i]) <= 9) {
        v = v * 10 + DigitValue(s[i]);
        if (++i < len && DigitValue(s[i]) <= 9) {
            v = v * 10 + DigitValue(s[i]);
            ++i;
        }
    }
    if (i < len && s[i] != ',' && s[i] != ')') return false;  // a fourth digit or anything else
    if (v < 1 || v > static_cast<uint32_t>(kTsCount)) return false;
    end = i;
    inverted = tilde;
    letter = c;
    n = static_cast<int32_t>(v);
    return true;
}

// Any operand, by the rules of the line procedure: the first character is taken whatever it is,
// then every character up to "," or ")" or the end of the line. Returns the operand's error, if
// any; otherwise `end` is the position of the character that ended it.
inline std::optional<LineError> ReadOperand(std::string_view line, size_t start, size_t& end, bool& inverted,
                                            char& letter, int32_t& n, const EngineTexts& tx) {
    const size_t len = line.size();
    bool opening = start < len && line[start] == '(';  // "(" anywhere in the operand is an error
    size_t q = start < len ? start + 1 : start;
    for (; q < len; ++q) {
        const char c = line[q];
        if (c == ')' || c == ',') break;
        if (c == '(') opening = true;
    }
    std::string_view operand = line.substr(start, q - start);
    if (opening) return LineError{tx.repeatedBracket};
    if (operand.empty() || operand == "~" || operand == ",~") return LineError{tx.emptyVariable};
    inverted = operand.front() == '~';
    if (inverted) operand.remove_prefix(1);
    if (!IsIntInRange(operand.substr(1), 1, kTsCount, &n))
        return LineError{Quoted(tx.badInputPrefix, operand)};
    letter = operand.front();
    if (letter != 'S' && letter != 'D' && letter != 'M')
        return LineError{Quoted(tx.badOperandPrefix, operand)};
    end = q;
    return std::nullopt;
}

}  // namespace interlock::line_reader
