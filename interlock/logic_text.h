#pragma once

// LogicText: the lines of one logic of a block, and the compiled form of those lines. Every
// change of the lines drops the compiled form, so that the next parse compiles the text again
// and a parse of unchanged text only evaluates. The lines are read like a vector of strings
// and changed only as a whole or at the end, so that no change can slip past the form.

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace interlock {

struct CompiledLogic;

class LogicText {
public:
    using Lines = std::vector<std::string>;
    using value_type = std::string;
    using size_type = Lines::size_type;
    using const_iterator = Lines::const_iterator;
    using iterator = const_iterator;

    LogicText() = default;
    LogicText(Lines lines) : lines_(std::move(lines)) {}  // NOLINT: a text is its lines
    LogicText(std::initializer_list<std::string> lines) : lines_(lines) {}

    // A text equal to the present one keeps the compiled form: the editor's text goes back into
    // its block on every block change, mostly unchanged.
    LogicText& operator=(const Lines& lines) {
        if (lines != lines_) {
            lines_ = lines;
            compiled_.reset();
        }
        return *this;
    }
    LogicText& operator=(Lines&& lines) {
        if (lines != lines_) {
            lines_ = std::move(lines);
            compiled_.reset();
        }
        return *this;
    }
    LogicText& operator=(std::initializer_list<std::string> lines) { return *this = Lines(lines); }

    const Lines& lines() const { return lines_; }
    operator const Lines&() const { return lines_; }  // NOLINT: reads as the lines

    const_iterator begin() const { return lines_.begin(); }
    const_iterator end() const { return lines_.end(); }
    const_iterator cbegin() const { return lines_.cbegin(); }
    const_iterator cend() const { return lines_.cend(); }
    Lines::const_reverse_iterator rbegin() const { return lines_.rbegin(); }
    Lines::const_reverse_iterator rend() const { return lines_.rend(); }
    size_type size() const { return lines_.size(); }
    bool empty() const { return lines_.empty(); }
    const std::string& operator[](size_type i) const { return lines_[i]; }
    const std::string& at(size_type i) const { return lines_.at(i); }
    const std::string& front() const { return lines_.front(); }
    const std::string& back() const { return lines_.back(); }

    void clear() {
        lines_.clear();
        compiled_.reset();
    }
    void push_back(std::string line) {
        lines_.push_back(std::move(line));
        compiled_.reset();
    }
    template <typename... Args>
    std::string& emplace_back(Args&&... args) {
        compiled_.reset();
        return lines_.emplace_back(std::forward<Args>(args)...);
    }

    friend bool operator==(const LogicText& a, const LogicText& b) { return a.lines_ == b.lines_; }
    friend bool operator==(const LogicText& a, const Lines& b) { return a.lines_ == b; }

    // The compiled form of the present lines for block `number`, or null when it has not been
    // built since the last change.
    const std::shared_ptr<const CompiledLogic>& compiled() const { return compiled_; }
    void setCompiled(std::shared_ptr<const CompiledLogic> form) const { compiled_ = std::move(form); }

private:
    Lines lines_;
    // A copy of the text shares its form: the form is never changed, only replaced.
    mutable std::shared_ptr<const CompiledLogic> compiled_;
};

}  // namespace interlock
