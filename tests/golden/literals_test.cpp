// Every fixed Russian text of the product lives in a catalogue (a file named *texts*), so that
// the golden listing shows it: this test reads every source file of the product folders and
// fails on a string literal with a Cyrillic letter anywhere else. Comments and character
// literals are skipped; raw strings are read as literals.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Literal {
    int line;
    std::string text;
};

// A Cyrillic letter in UTF-8: lead byte 0xD0..0xD3 (U+0400..U+04FF).
bool HasCyrillic(const std::string& s) {
    for (size_t i = 0; i + 1 < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        const auto next = static_cast<unsigned char>(s[i + 1]);
        if (c >= 0xD0 && c <= 0xD3 && (next & 0xC0) == 0x80) return true;
    }
    return false;
}

std::vector<Literal> StringLiterals(const std::string& src) {
    std::vector<Literal> out;
    int line = 1;
    size_t i = 0;
    const size_t n = src.size();
    auto skipTo = [&](size_t end) {
        for (; i < end && i < n; ++i) line += src[i] == '\n';
    };
    while (i < n) {
        const char c = src[i];
        if (src.compare(i, 2, "//") == 0) {
            const size_t end = src.find('\n', i);
            skipTo(end == std::string::npos ? n : end);
        } else if (src.compare(i, 2, "/*") == 0) {
            const size_t end = src.find("*/", i + 2);
            skipTo(end == std::string::npos ? n : end + 2);
        } else if (c == '"' && i > 0 && src[i - 1] == 'R') {
            const size_t open = src.find('(', i);
            const std::string close = ")" + src.substr(i + 1, open - i - 1) + "\"";
            const size_t end = src.find(close, open);
            const size_t stop = end == std::string::npos ? n : end;
            out.push_back({line, src.substr(open + 1, stop - open - 1)});
            skipTo(end == std::string::npos ? n : end + close.size());
        } else if (c == '"' || c == '\'') {
            size_t j = i + 1;
            while (j < n && src[j] != c && src[j] != '\n') j += src[j] == '\\' ? 2 : 1;
            if (c == '"') out.push_back({line, src.substr(i + 1, j - i - 1)});
            skipTo(j + 1);
        } else {
            skipTo(i + 1);
        }
    }
    return out;
}

TEST(Literals, ScannerFindsLiteralsOutsideComments) {
    struct Case {
        const char* source;
        std::vector<std::string> literals;
    } cases[] = {
        {"f(\"a\", 'x', \"b\\\"c\");", {"a", "b\\\"c"}},
        {"// \"not\"\nf(\"yes\"); /* \"no\" */", {"yes"}},
        {"auto s = R\"x(raw \"inside\")x\";", {"raw \"inside\""}},
        {"char q = '\"'; f(\"after\");", {"after"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> found;
        for (const Literal& l : StringLiterals(c.source)) found.push_back(l.text);
        EXPECT_EQ(found, c.literals) << c.source;
    }
    EXPECT_TRUE(HasCyrillic("Ошибка"));
    EXPECT_FALSE(HasCyrillic("error \xC2\xB0"));
}

TEST(Literals, NoRussianTextOutsideACatalogue) {
    const fs::path root = SOURCE_DIR;
    std::ostringstream found;
    int count = 0;
    for (const char* folder : {"interlock", "analysis", "storage", "acquisition", "topology", "sequences",
                               "ui", "app", "tools", "cli"}) {
        for (const fs::directory_entry& e : fs::recursive_directory_iterator(root / folder)) {
            const fs::path& p = e.path();
            if (!e.is_regular_file() || (p.extension() != ".h" && p.extension() != ".cpp")) continue;
            if (p.filename().string().find("texts") != std::string::npos) continue;
            const std::string relative = fs::relative(p, root).generic_string();
            std::ifstream in(p, std::ios::binary);
            const std::string src((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            for (const Literal& l : StringLiterals(src)) {
                if (!HasCyrillic(l.text)) continue;
                ++count;
                found << relative << ":" << l.line << ": \"" << l.text << "\"\n";
            }
        }
    }
    EXPECT_EQ(count, 0) << "Russian texts outside a catalogue (*texts* files):\n" << found.str();
}

// The golden listing (kept equal to the catalogues by the golden outputs test) holds no text
// twice: a word the program says in several places is written once, in the lowest catalogue
// that needs it, and taken from there.
TEST(Literals, NoTextTwiceInTheCatalogues) {
    std::ifstream in(fs::path(SOURCE_DIR) / "tests/golden/texts.txt", std::ios::binary);
    ASSERT_TRUE(in) << "tests/golden/texts.txt";
    std::map<std::string, std::vector<std::string>> names;  // text -> where it is written
    for (std::string line; std::getline(in, line) && line != "--- stderr";) {
        const size_t eq = line.find(" = \"");
        ASSERT_NE(eq, std::string::npos) << line;
        names[line.substr(eq + 4, line.size() - eq - 5)].push_back(line.substr(0, eq));
    }
    ASSERT_GT(names.size(), 100u) << "the listing is read";
    std::ostringstream twice;
    for (const auto& [text, where] : names) {
        if (where.size() < 2) continue;
        twice << "\"" << text << "\":";
        for (const std::string& n : where) twice << " " << n;
        twice << "\n";
    }
    EXPECT_EQ(twice.str(), "") << "texts written twice";
}

}  // namespace
