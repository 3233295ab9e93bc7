// Damaged and hostile JPEG files are refused by the editor and tintwell-cli
// with a message that names the file, quickly and without filling memory:
// a frame header claiming 23000 x 23000 pixels, a file cut to a third with an
// end marker added, and a progressive file with 20,000 scans.
#include "EntryPoints.h"
#include "../imaging/HostileFiles.h"
#include "../imaging/JpegFiles.h"

#include <QFile>

#include <sys/resource.h>

namespace {

struct CorruptCase {
    const char *name;
    QByteArray (*make)();
    const char *reason;
};

const CorruptCase corruptCases[] = {
    {"huge-header", [] { return tintwell::test::jpegClaimingSize(23000, 23000); }, "corrupt JPEG data"},
    {"cut-third", tintwell::test::jpegCutWithEndMarker, "corrupt JPEG data: premature end of data segment"},
    {"endless-scans", [] { return tintwell::test::jpegWithRepeatedScans(20000); }, "too many progressive scans"},
};

void PrintTo(const CorruptCase &c, std::ostream *out)
{
    *out << c.name;
}

// The largest resident size, in kB, of this process or of its waited children.
long peakKilobytes(Entry entry)
{
    rusage usage{};
    getrusage(entry == Entry::App ? RUSAGE_SELF : RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;
}

} // namespace

class CorruptJpeg : public EntryPointFixture,
                    public ::testing::WithParamInterface<std::tuple<CorruptCase, Entry>>
{
};

TEST_P(CorruptJpeg, IsRefusedNamingTheFile)
{
    const auto &[file, entry] = GetParam();
    const QString input = pathFor(QString::fromLatin1(file.name) + QStringLiteral(".jpg"));
    ASSERT_TRUE(tintwell::test::writeBytes(input, file.make()));
    const QString output = pathFor(QStringLiteral("out.png"));

    const Outcome outcome = filterFile(entry, input, output);
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.error.contains(QStringLiteral("read ") + input + QStringLiteral(": ") + file.reason))
        << outcome.error.toStdString();
    EXPECT_FALSE(QFile::exists(output));
    EXPECT_LT(peakKilobytes(entry), 400L * 1024);
}

INSTANTIATE_TEST_SUITE_P(Files, CorruptJpeg,
                         ::testing::Combine(::testing::ValuesIn(corruptCases),
                                            ::testing::Values(Entry::App, Entry::Cli)),
                         [](const auto &info) {
                             std::string name = std::get<0>(info.param).name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name + entryName(std::get<1>(info.param));
                         });
