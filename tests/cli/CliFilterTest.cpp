// End to end: tintwell-cli writes exactly the bytes of the engine's pass over
// the decoded picture, for every filter, value, offset and flag.
#include "CliProcess.h"
#include "ReferencePass.h"

#include <QImageReader>
#include <QTemporaryDir>

#include <limits>
#include <tuple>

namespace {

using tintwell::test::inputPicture;
using tintwell::test::runTool;

struct Variant {
    qint32 red, green, blue;
    bool negative, reverse;
};

const Variant variants[] = {
    {0, 0, 0, false, false},
    {10, -3, 250, false, false},
    {0, 0, 0, true, false},
    {-7, 300, std::numeric_limits<qint32>::max(), true, true},
    {std::numeric_limits<qint32>::min(), 5, 0, false, true},
};

const qint64 values[] = {7, -1, 257, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max()};

QImage decodeWorking(const QString &path)
{
    QImage image = QImageReader(path).read();
    EXPECT_FALSE(image.isNull()) << path.toStdString();
    return image.convertToFormat(QImage::Format_RGBA8888);
}

// The engine's reference pass with the context filled by hand.
QImage expectedPass(const QImage &image, qint32 filter, qint64 value, const Variant &v)
{
    return tintwell::test::referencePass(
        image, {filter, value, v.red, v.green, v.blue, v.negative, v.reverse});
}

QStringList argumentsFor(qint32 filter, qint64 value, const Variant &v)
{
    QStringList args{"--filter", QString::number(filter), "--value", QString::number(value),
                     "--red",    QString::number(v.red),  "--green", QString::number(v.green),
                     "--blue",   QString::number(v.blue)};
    if (v.negative)
        args << "--negative";
    if (v.reverse)
        args << "--reverse";
    return args;
}

void expectSameBytes(const QImage &actual, const QImage &expected, const QImage &input)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            const uchar *a = actual.constScanLine(y) + 4 * x;
            const uchar *e = expected.constScanLine(y) + 4 * x;
            EXPECT_TRUE(std::equal(a, a + 4, e)) << "pixel " << x << "," << y;
            EXPECT_EQ(a[3], input.constScanLine(y)[4 * x + 3]) << "alpha at " << x << "," << y;
        }
    }
}

class CliFilterTest : public testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(CliFilterTest, WritesTheEnginesBytes)
{
    const auto [filter, valueIndex] = GetParam();
    const qint64 value = values[valueIndex];
    const Variant &variant = variants[(filter + valueIndex) % std::size(variants)];
    QTemporaryDir dir;
    const QString in = dir.filePath("in.png"), out = dir.filePath("out.png");
    ASSERT_TRUE(inputPicture().save(in));

    const auto run = runTool(argumentsFor(filter, value, variant) << in << out);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty());
    const QImage input = decodeWorking(in);
    expectSameBytes(decodeWorking(out), expectedPass(input, filter, value, variant), input);
}

INSTANTIATE_TEST_SUITE_P(AllFilters, CliFilterTest,
                         testing::Combine(testing::Range(0, tintwell::filterCount),
                                          testing::Range(0, int(std::size(values)))));

TEST(CliFilter, IndicesOutsideTheCatalogueAreTheIdentity)
{
    QTemporaryDir dir;
    const QString in = dir.filePath("in.png"), out = dir.filePath("out.png");
    ASSERT_TRUE(inputPicture().save(in));
    const QImage input = decodeWorking(in);
    for (const qint32 filter : {-1, 25, std::numeric_limits<qint32>::max(), std::numeric_limits<qint32>::min()}) {
        const auto run = runTool(argumentsFor(filter, 99, variants[1]) << in << out);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        expectSameBytes(decodeWorking(out), expectedPass(input, -1, 0, variants[1]), input);
    }
}

TEST(CliFilter, NegativeValuesParseInBothSpellings)
{
    QTemporaryDir dir;
    const QString in = dir.filePath("in.png"), out = dir.filePath("out.png");
    ASSERT_TRUE(inputPicture().save(in));
    const QImage input = decodeWorking(in);
    const QImage expected = expectedPass(input, 1, -5, {-2, 0, 0, false, false});
    for (const QStringList &args : {QStringList{"--filter", "1", "--value", "-5", "--red", "-2"},
                                    QStringList{"--filter=1", "--value=-5", "--red=-2"}}) {
        const auto run = runTool(QStringList(args) << in << out);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        expectSameBytes(decodeWorking(out), expected, input);
    }
}

} // namespace
