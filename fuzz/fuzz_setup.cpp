// Setup reader: any bytes either give one error or a setup that writes out
// and reads back as the same setup.

#include "platform/SetupFile.h"

#include <QMap>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

bool sameSetup(const morva::SetupData &a, const morva::SetupData &b)
{
    // The file holds the inputs as one JSON object: its keys come back
    // sorted and once each, so compare them that way.
    const auto sorted = [](morva::SetupInputs inputs) {
        QMap<QString, QString> map;
        for (const auto &[name, text] : inputs)
            map.insert(name, text);
        return map;
    };
    if (a.model != b.model || a.page != b.page || a.note != b.note
        || sorted(a.inputs) != sorted(b.inputs) || a.keptRuns.size() != b.keptRuns.size())
        return false;
    for (qsizetype i = 0; i < a.keptRuns.size(); ++i) {
        if (sorted(a.keptRuns.at(i)) != sorted(b.keptRuns.at(i)))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    morva::SetupData setup;
    QString problem;
    if (!morva::parseSetup(bytes, setup, problem)) {
        if (problem.isEmpty()) {
            std::fprintf(stderr, "refused without a reason\n");
            std::abort();
        }
        return 0;
    }
    morva::SetupData again;
    if (!morva::parseSetup(morva::setupJson(setup), again, problem) || !sameSetup(setup, again)) {
        std::fprintf(stderr, "written setup does not read back: %s\n", qPrintable(problem));
        std::abort();
    }
    return 0;
}
