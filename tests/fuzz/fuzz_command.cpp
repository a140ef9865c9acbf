// Typed command text, as the operator's console and the scripts send it, through the splitter and
// the interpreter's reading. A DbError is the interpreter refusing the text; anything else that
// escapes, and every broken promise checked below, is a fault.

#include <labdb/command.h>
#include <labdb/driver.h>
#include <labdb/session.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The reading asks the driver only how to spell names, the clock and conversions, so one scratch
// embedded database serves every input; it is removed when the process ends.
struct ScratchDatabase {
    std::filesystem::path folder;
    std::unique_ptr<labdb::Driver> driver;

    ScratchDatabase()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "corvane-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        folder = pattern;
        driver = labdb::openSqlite(folder.string(), true);
    }
    ~ScratchDatabase()
    {
        driver.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

void require(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// Tags cannot occur in a typed command: control characters are refused outside quoted values.
labdb::CommandText taggedCopy(const labdb::CommandText &command)
{
    labdb::CommandText copy;
    std::string run;
    std::size_t next = 0;
    for (const char c : command.shape()) {
        if (c != labdb::CommandText::kMarker) {
            run.push_back(c);
            continue;
        }
        copy.fixed(run);
        run.clear();
        copy.value("\x01" + std::to_string(next++) + "\x02");
    }
    copy.fixed(run);
    return copy;
}

void tagsIn(const std::string &param, std::vector<std::size_t> &out)
{
    for (std::size_t at = param.find('\x01'); at != std::string::npos; at = param.find('\x01', at + 1)) {
        const std::size_t end = param.find('\x02', at);
        if (end != std::string::npos)
            out.push_back(std::stoul(param.substr(at + 1, end - at - 1)));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static ScratchDatabase scratch;
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    try {
        const labdb::CommandText command = labdb::CommandText::fromText(text);
        const auto markers = std::count(command.shape().begin(), command.shape().end(), labdb::CommandText::kMarker);
        require(static_cast<std::size_t>(markers) == command.values().size(), "one value for every place in the shape");
        // What the audit trail records; every value the splitter took out goes back in.
        const std::string rebuilt = command.text();
        require(rebuilt.size() >= command.shape().size() - static_cast<std::size_t>(markers), "the text rebuilds whole");

        const labdb::CommandReading reading = labdb::readCommand(command, *scratch.driver);
        require(reading.procedure.empty() != reading.sql.empty(), "a procedure call or a statement, never both");
        require(reading.sql.find('\0') == std::string::npos, "no NUL cuts the statement short on the server");

        // The same shape with every value tagged: each value is bound once, in the order written.
        const labdb::CommandReading tagged = labdb::readCommand(taggedCopy(command), *scratch.driver);
        std::vector<std::size_t> bound;
        for (const labdb::Value &p : tagged.params) {
            if (p)
                tagsIn(*p, bound);
        }
        std::vector<std::size_t> written(command.values().size());
        for (std::size_t i = 0; i < written.size(); ++i)
            written[i] = i;
        require(bound == written, "every value bound once, in order");
    } catch (const labdb::DbError &) {
    }
    return 0;
}
