// A list of calls to fail on purpose, as "Name,Name@N,...": Name fails every
// call of that name, Name@N only its N-th call (counting from 1). Used by the
// simulated board and by the test build of the platform layer so that every
// failure path of the program can be run.
#ifndef PLATFORM_FAIL_LIST_H
#define PLATFORM_FAIL_LIST_H

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

class FailList {
public:
    explicit FailList(const char *text) {
        std::string list = text ? text : "";
        size_t start = 0;
        while (start <= list.size()) {
            size_t end = list.find(',', start);
            if (end == std::string::npos) end = list.size();
            AddEntry(list.substr(start, end - start));
            start = end + 1;
        }
    }

    // callNumber counts the calls of that name from 1.
    bool Fails(const std::string &name, uint64_t callNumber) const {
        for (const Entry &entry : entries_) {
            if (entry.name == name && (entry.callNumber == 0 || entry.callNumber == callNumber))
                return true;
        }
        return false;
    }

private:
    struct Entry {
        std::string name;
        uint64_t callNumber;  // 0: every call
    };

    void AddEntry(std::string entry) {
        while (!entry.empty() && entry.front() == ' ') entry.erase(0, 1);
        while (!entry.empty() && entry.back() == ' ') entry.pop_back();
        if (entry.empty()) return;
        size_t at = entry.find('@');
        if (at == std::string::npos) {
            entries_.push_back({entry, 0});
            return;
        }
        char *end = nullptr;
        unsigned long long number = std::strtoull(entry.c_str() + at + 1, &end, 10);
        if (number == 0 || *end != '\0') return;  // malformed: ignored like an unknown name
        entries_.push_back({entry.substr(0, at), number});
    }

    std::vector<Entry> entries_;
};

#endif
