#include "input/keys_file.h"

#include <array>
#include <filesystem>

#include "platform/regular_file.h"

namespace {

// The game writes about 60 bytes; nothing past this is read.
constexpr std::size_t kMaxFileBytes = 4096;
// A name from the file is quoted in a problem up to this many characters.
constexpr std::size_t kQuotedLength = 12;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// The blank-separated words of a line.
std::vector<std::string_view> wordsOf(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && isBlank(line[at])) ++at;
        const std::size_t start = at;
        while (at < line.size() && !isBlank(line[at])) ++at;
        if (at > start) words.push_back(line.substr(start, at - start));
    }
    return words;
}

// A word from the file as a problem may show it: printable characters only, cut short.
std::string quoted(std::string_view word) {
    std::string text = "\"";
    for (char c : word.substr(0, kQuotedLength)) text += c > ' ' && c <= '~' ? c : '?';
    return text + (word.size() > kQuotedLength ? "...\"" : "\"");
}

std::string slotName(int slot) { return std::to_string(slot + 1) + "P"; }

// "1P".."4P" (or "1p"..): the slot, kNoSlot for anything else.
int slotNamed(std::string_view word) {
    if (word.size() != 2 || (word[1] != 'P' && word[1] != 'p')) return kNoSlot;
    const int slot = word[0] - '1';
    return slot >= 0 && slot < kSlots ? slot : kNoSlot;
}

// One player's keys as the file gives them.
struct Candidate {
    PlayerKeys keys;
    int line = 0;  // 0: the usual keys, given by no line
};

class Problems {
public:
    explicit Problems(std::vector<std::string>& told) : told_(told) {}
    ~Problems() {
        if (untold_ > 0) told_.push_back(std::to_string(untold_) + " more lines like these");
    }
    void tell(int line, const std::string& what) {
        if (int(told_.size()) < kMostProblemsTold) {
            told_.push_back("line " + std::to_string(line) + ": " + what);
        } else {
            ++untold_;
        }
    }

private:
    std::vector<std::string>& told_;
    int untold_ = 0;
};

// Why the names cannot be a player's three keys; empty when they can, with `keys` set.
std::string readThreeKeys(const std::vector<std::string_view>& words, PlayerKeys& keys) {
    if (words.size() != 1 + kKeysPerSlot) return "three keys are needed";
    for (int which = 0; which < kKeysPerSlot; ++which) {
        const std::string_view word = words[1 + which];
        const int code = key::codeNamed(word);
        if (code == 0) return "no key is named " + quoted(word);
        if (!isPlayerKey(code)) return std::string(key::nameOf(code)) + " is the game's own key";
        for (int before = 0; before < which; ++before) {
            if (keys.at(before) == code) return std::string(key::nameOf(code)) + " is given twice";
        }
        keys.at(which) = code;
    }
    return {};
}

void readLine(std::string_view line, int number, std::array<Candidate, kSlots>& chosen,
              std::array<bool, kSlots>& given, Problems& problems) {
    const std::vector<std::string_view> words = wordsOf(line);
    if (words.empty()) return;
    const int slot = slotNamed(words[0]);
    if (slot == kNoSlot) {
        problems.tell(number, "no player 1P to 4P at its start, so it is passed over");
        return;
    }
    const std::string player = slotName(slot);
    if (given[slot]) {
        problems.tell(number, player + " was given on an earlier line, so it is passed over");
        return;
    }
    given[slot] = true;
    PlayerKeys keys = kUsualPlayerKeys[slot];
    const std::string why = readThreeKeys(words, keys);
    if (!why.empty()) {
        problems.tell(number, why + "; " + player + " plays with the usual keys");
        return;
    }
    chosen[slot] = Candidate{keys, number};
}

// A key the two candidates share, 0 for none.
int sharedKey(const Candidate& a, const Candidate& b) {
    for (int i = 0; i < kKeysPerSlot; ++i) {
        for (int j = 0; j < kKeysPerSlot; ++j) {
            if (a.keys.at(i) == b.keys.at(j)) return a.keys.at(i);
        }
    }
    return 0;
}

// Finds one clash and gives its loser the usual keys: a line gives way to usual keys (which
// cannot move), a later line to an earlier one. False when there was none.
bool settleOneClash(std::array<Candidate, kSlots>& chosen, Problems& problems) {
    for (int s = 0; s < kSlots; ++s) {
        for (int t = s + 1; t < kSlots; ++t) {
            const int code = sharedKey(chosen[s], chosen[t]);
            if (code == 0) continue;
            const int loser = chosen[t].line != 0 ? t : s;
            const int winner = loser == t ? s : t;
            problems.tell(chosen[loser].line, std::string(key::nameOf(code)) + " is " +
                                                  slotName(winner) + "'s key too; " +
                                                  slotName(loser) + " plays with the usual keys");
            chosen[loser] = Candidate{kUsualPlayerKeys[loser], 0};
            return true;
        }
    }
    return false;
}

}  // namespace

std::string keysFileBeside(const std::string& settingsPath) {
    const std::size_t slash = settingsPath.rfind('/');
    return (slash == std::string::npos ? std::string() : settingsPath.substr(0, slash + 1)) +
           kKeysFileName;
}

std::string encodeKeys(const PlayerKeyTable& keys) {
    std::string text;
    for (int slot = 0; slot < kSlots; ++slot) {
        text += slotName(slot);
        for (int which = 0; which < kKeysPerSlot; ++which) {
            const char* name = key::nameOf(keys[slot].at(which));
            text += std::string(" ") + (name != nullptr ? name : "?");
        }
        text += '\n';
    }
    return text;
}

PlayerKeyTable decodeKeys(std::string_view text, std::vector<std::string>& problems) {
    std::array<Candidate, kSlots> chosen;
    for (int slot = 0; slot < kSlots; ++slot) chosen[slot] = Candidate{kUsualPlayerKeys[slot], 0};
    std::array<bool, kSlots> given{};
    {
        Problems told(problems);
        int number = 0;
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            readLine(text.substr(0, end), ++number, chosen, given, told);
            text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        }
        while (settleOneClash(chosen, told)) {
        }
    }
    PlayerKeyTable keys;
    for (int slot = 0; slot < kSlots; ++slot) keys[slot] = chosen[slot].keys;
    return keys;
}

PlayerKeyTable loadKeys(const std::string& path, std::vector<std::string>& problems) {
    std::error_code missing;
    if (!std::filesystem::exists(path, missing)) return kUsualPlayerKeys;  // nothing to say
    std::string bytes;
    std::string error;
    if (!platform::readRegularFile(path, kMaxFileBytes, bytes, error)) {
        problems.push_back(error + "; everybody plays with the usual keys");
        return kUsualPlayerKeys;
    }
    return decodeKeys(bytes, problems);
}

bool saveKeys(const std::string& path, const PlayerKeyTable& keys, std::string& error) {
    return platform::replaceFileAtomically(path, encodeKeys(keys), error);
}
