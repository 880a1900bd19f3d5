// Feeds any bytes to the keys file's reader: it must not crash or read out of bounds, the
// keys it gives must be playable (every key a player's, none shared), and they must survive
// their own file unchanged and without a problem.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "input/keys_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> problems;
    const PlayerKeyTable keys = decodeKeys(bytes, problems);
    if (!keysPlayable(keys) || problems.size() > std::size_t(kMostProblemsTold) + 1) std::abort();

    std::vector<std::string> none;
    if (!(decodeKeys(encodeKeys(keys), none) == keys) || !none.empty()) std::abort();
    return 0;
}
