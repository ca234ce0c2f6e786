// The updater's command line and update source on arbitrary bytes: splitting
// never makes bytes up, a parsed client name is always a plain file name,
// trimming keeps a piece of the text, and the source keeps every byte it does
// not take as its digest.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "updater/core/update_arguments.h"
#include "updater/core/update_source.h"

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const double figure = provider.ConsumeFloatingPoint<double>();
    const std::string line = provider.ConsumeRemainingBytesAsString();
    using namespace lanzhou::updater;

    const std::vector<std::string> words = splitCommandLine(line);
    std::size_t total = 0;
    for (const std::string& word : words) {
        total += word.size();
    }
    // Every word after the first is preceded by a byte it does not keep (a
    // separator or a quote).
    check(total + words.size() <= line.size() + 1);

    if (const auto arguments = parseUpdateArguments(words)) {
        check(words.size() >= 3);
        check(arguments->clientFileName.find_first_of("/\\:") == std::string::npos);
        check(arguments->clientFileName != ".." && !arguments->clientFileName.empty());
        check(arguments->newVersion == words[0]);
    }

    const std::string trimmed = trimBlanks(line);
    check(line.find(trimmed) != std::string::npos);
    check(trimmed.empty() || trimmed.front() != ' ');
    check(trimBlanks(trimmed) == trimmed);

    const UpdateSource source = parseUpdateSource(line);
    if (source.sha256) {
        check(source.address.size() + 72 == line.size());
        check(line.compare(0, source.address.size(), source.address) == 0);
    } else {
        check(source.address == line);
    }

    const long long whole = wholePart(figure);
    if (figure >= 0 && figure < 1e15) {
        check(whole >= 0 && static_cast<double>(whole) <= figure + 1);
    }
    return 0;
}
