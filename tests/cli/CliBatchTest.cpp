// tintwell-cli batches with bad files among good ones, and the guards on its
// outputs, each with the line it prints.
#include "CliProcess.h"
#include "ReferencePass.h"

#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>

#include <unistd.h>

namespace {

using namespace tintwell::test;

QStringList lines(const QString &text)
{
    return text.split('\n', Qt::SkipEmptyParts);
}

class CliBatch : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkdir(out));
        ASSERT_TRUE(pattern(9, 6, true).save(path("good1.png")));
        ASSERT_TRUE(writeBytes(path("good.v2.jpg"), encode(pattern(64, 48, false, 24), "jpeg")));
        ASSERT_TRUE(writeBytes(path("good3.png"), encode(pattern(30, 20, false, 24), "png")));
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    QString output(const QString &name) const { return QDir(out).filePath(name); }
    QTemporaryDir dir;
    const QString out = path("out");
};

TEST_F(CliBatch, WritesEveryGoodFileAndNamesEachBadOneOnceInOrder)
{
    const QByteArray jpeg = encode(pattern(80, 60, false, 24), "jpeg", 95);
    const std::pair<const char *, QByteArray> bad[] = {
        {"empty.jpg", QByteArray()},
        {"cut.jpg", jpeg.left(jpeg.size() / 2)},
        {"text.png", "not a picture, only words\n"},
        {"cut.png", encode(pattern(80, 60, false, 24), "png").left(300)},
        {"huge.png", pngHeaderOnly(100000, 100000)},
        {"huge.jpg", jpegClaimingSize(65000, 65000)},
        {"cut-large.jpg", jpegClaimingSize(20000, 20000).chopped(40)}, // 1.6 GB if it were decoded
    };
    const char *reasons[] = {"", "premature end", "", "", "too large", "too large", "cannot hold a picture", "it is a folder", "not found"};
    QStringList badPaths;
    for (const auto &[name, bytes] : bad) {
        ASSERT_TRUE(writeBytes(path(name), bytes));
        badPaths << path(name);
    }
    ASSERT_TRUE(QDir().mkdir(path("folder.png")));
    badPaths << path("folder.png") << path("missing.jpg");
    const QStringList good{path("good1.png"), path("good.v2.jpg"), path("good3.png")};
    // Bad files first, between and last.
    const QStringList inputs = badPaths.mid(0, 3) + good.mid(0, 1) + badPaths.mid(3, 3) + good.mid(1)
                               + badPaths.mid(6);
    const QStringList options{"--filter", "11", "--value", "5", "--blue", "-2", "--negative"};

    const auto run = runTool(options + QStringList{"--output-dir", out} + inputs);
    EXPECT_EQ(run.exitCode, 1);
    const QStringList errors = lines(run.err);
    ASSERT_EQ(errors.size(), badPaths.size()) << run.err.toStdString();
    for (qsizetype i = 0; i < badPaths.size(); ++i) {
        EXPECT_TRUE(errors.at(i).startsWith("tintwell-cli: cannot read " + badPaths.at(i) + ": "))
            << errors.at(i).toStdString();
        EXPECT_TRUE(errors.at(i).contains(reasons[i])) << errors.at(i).toStdString();
    }
    EXPECT_EQ(QDir(out).entryList(QDir::Files, QDir::Name), (QStringList{"good.v2.jpg", "good1.jpg", "good3.jpg"}));
    for (const QString &input : good) {
        ASSERT_EQ(runTool(options + QStringList{input, path("single.jpg")}).exitCode, 0);
        EXPECT_EQ(readBytes(output(QFileInfo(input).completeBaseName() + ".jpg")), readBytes(path("single.jpg")))
            << input.toStdString();
    }
}

struct GuardCase {
    const char *name;
    QStringList args;
    QStringList errors; // the whole of stderr, line by line
};

TEST_F(CliBatch, OutputGuardsRefuseWithTheirMessages)
{
    const QString in = path("good1.png");
    ASSERT_TRUE(QFile::link(in, path("link.png")));
    ASSERT_TRUE(QFile::link(dir.path(), path("alias")));
    ASSERT_EQ(::link(QFile::encodeName(in).constData(), QFile::encodeName(path("hard.png")).constData()), 0);
    ASSERT_TRUE(QFile::copy(path("good3.png"), path("photo.jpg")));
    ASSERT_TRUE(QFile::copy(in, path("photo.png")));
    const QString made = output("good1.jpg"); // an input the first job writes
    const QString refusing = "tintwell-cli: refusing to write ";
    const GuardCase cases[] = {
        {"sameFile", {in, in}, {refusing + in + ": it is the input file " + in}},
        {"symbolicLink", {in, path("link.png")}, {refusing + path("link.png") + ": it is the input file " + in}},
        {"hardLink", {in, path("hard.png")}, {refusing + path("hard.png") + ": it is the input file " + in}},
        {"folderAlias", {in, path("alias/good1.png")},
         {refusing + path("alias/good1.png") + ": it is the input file " + in}},
        {"batchIntoTheInputsFolder", {"--output-dir", dir.path(), "--format", "png", in},
         {refusing + path("good1.png") + ": it is the input file " + in}},
        {"twoInputsOneOutput", {"--output-dir", out, "--format", "PNG", path("photo.png"), path("photo.jpg")},
         {refusing + output("photo.png") + " for " + path("photo.jpg")
          + ": an earlier input was already written there"}},
        {"inputMadeByAnEarlierOutput", {"--output-dir", out, in, made, path("good3.png")},
         {refusing + made + ": it is the input file " + made}},
        {"outputFolderIsAFile", {"--output-dir", in, in}, {"tintwell-cli: " + in + " is not a directory"}},
        {"missingOutputFolder", {"--output-dir", path("nowhere"), in},
         {"tintwell-cli: output directory " + path("nowhere") + " does not exist"}},
    };
    const QByteArray original = readBytes(in);
    for (const GuardCase &c : cases) {
        const auto run = runTool(c.args);
        EXPECT_EQ(run.exitCode, 1) << c.name;
        EXPECT_EQ(lines(run.err), c.errors) << c.name;
        EXPECT_EQ(readBytes(in), original) << c.name;
    }
    EXPECT_FALSE(QFile::exists(path("nowhere")));
    EXPECT_EQ(QDir(out).entryList(QDir::Files, QDir::Name), (QStringList{"good1.jpg", "good3.jpg", "photo.png"}));
    ASSERT_EQ(runTool({in, path("single.jpg")}).exitCode, 0);
    EXPECT_EQ(readBytes(made), readBytes(path("single.jpg")));
    EXPECT_EQ(pixelBytes(QImage(output("photo.png"))), pixelBytes(QImage(path("photo.png"))));

    // When the first of two inputs cannot be read, the second takes the name.
    ASSERT_TRUE(QFile::remove(output("photo.png")));
    ASSERT_TRUE(writeBytes(path("photo.png"), "not a picture"));
    const auto second = runTool({"--output-dir", out, "--format", "png", path("photo.png"), path("photo.jpg")});
    EXPECT_EQ(lines(second.err).size(), 1) << second.err.toStdString();
    EXPECT_EQ(pixelBytes(QImage(output("photo.png"))), pixelBytes(QImage(path("photo.jpg"))));
}

TEST_F(CliBatch, FailedWritesAreReportedAndKeepEarlierFiles)
{
    const QString in = path("good1.png");
    const auto missing = runTool({in, path("missing/out.png")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.startsWith("tintwell-cli: cannot write " + path("missing/out.png") + ": "))
        << missing.err.toStdString();
    ASSERT_EQ(runTool({in, path("result.png")}).exitCode, 0);
    const QByteArray written = readBytes(path("result.png"));
    EXPECT_EQ(runTool({path("missing.png"), path("result.png")}).exitCode, 1);
    EXPECT_EQ(readBytes(path("result.png")), written);
}

} // namespace
