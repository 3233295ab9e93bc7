// End to end: tintwell-cli batches with bad files among good ones (cut, empty,
// not a picture, a folder, missing, unreadable, absurd header sizes), outputs
// that would collide, and an output folder that cannot be written.
#include "CliProcess.h"
#include "HostileFiles.h"
#include "ScratchMounts.h"

#include "FilterPass.h"
#include "PassContext.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace tintwell::test;

struct Settings {
    qint32 filter = 0;
    qint64 value = 0;
    qint32 red = 0, green = 0, blue = 0;
    bool negative = false, reverse = false;
};

// The engine's reference pass over a decoded file, in the working layout.
QImage expectedOutput(const QString &input, const Settings &s)
{
    QImage image = QImageReader(input).read();
    image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
    tintwell::current_filter = s.filter;
    tintwell::bytesPerSample = 4;
    tintwell::bytesPerRow = int(image.bytesPerLine());
    tintwell::width = image.width();
    tintwell::height = image.height();
    tintwell::red = s.red;
    tintwell::green = s.green;
    tintwell::blue = s.blue;
    const tintwell::BitmapView view{image.bits(), {double(image.width()), double(image.height())},
                                    int(image.bytesPerLine()), 4};
    tintwell::filterBitmapReference(view, s.value, s.negative, s.reverse);
    return image.convertToFormat(QImage::Format_RGBA8888);
}

QStringList lines(const QString &text)
{
    return text.split('\n', Qt::SkipEmptyParts);
}

class CliHostileTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir().mkdir(out));
        ASSERT_TRUE(inputPicture().save(path("good1.png")));
        ASSERT_TRUE(writeBytes(path("good2.jpg"), encode(photoLikeImage(64, 48, 2), "jpeg", 90)));
        ASSERT_TRUE(writeBytes(path("good3.png"), encode(photoLikeImage(30, 20, 3), "png")));
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    QString output(const QString &name) const { return QDir(out).filePath(name); }

    QTemporaryDir dir;
    const QString out = path("out");
};

struct BadFile {
    const char *name;
    QByteArray (*bytes)(); // nullptr: made otherwise (see makeBadFile)
    const char *reason;    // part of the line that names it
};

QByteArray cutJpeg()
{
    const QByteArray whole = encode(photoLikeImage(80, 60, 5), "jpeg", 95);
    return whole.left(whole.size() / 2);
}

QByteArray cutPng()
{
    const QByteArray whole = encode(photoLikeImage(80, 60, 6), "png");
    return whole.left(whole.size() / 2);
}

const BadFile badFiles[] = {
    {"empty.jpg", [] { return QByteArray(); }, ""},
    {"cut.jpg", cutJpeg, "premature end of JPEG file"},
    {"text.png", [] { return QByteArray("not a picture, only words\n"); }, ""},
    {"cut.png", cutPng, ""},
    {"huge.png", [] { return pngHeaderOnly(100000, 100000); }, "too large"},
    {"huge.jpg", [] { return jpegClaimingSize(65000, 65000); }, "too large"},
    {"folder.png", nullptr, ""}, // the reason is the file layer's
    {"missing.jpg", nullptr, ""},
};

void makeBadFile(const BadFile &bad, const QString &path)
{
    if (bad.bytes) {
        ASSERT_TRUE(writeBytes(path, bad.bytes()));
    } else if (QString(bad.name).startsWith("folder")) {
        ASSERT_TRUE(QDir().mkdir(path));
    }
}

TEST_F(CliHostileTest, BatchWritesEveryGoodFileAndNamesEachBadOneOnce)
{
    // Bad files between, before and after the good ones.
    QStringList inputs;
    QStringList bad;
    const QStringList good = {path("good1.png"), path("good2.jpg"), path("good3.png")};
    for (size_t i = 0; i < std::size(badFiles); ++i) {
        const QString file = path(badFiles[i].name);
        makeBadFile(badFiles[i], file);
        bad << file;
        inputs << file;
        if (i % 3 == 1)
            inputs << good.at(qsizetype(i / 3));
    }
    ASSERT_EQ(inputs.size(), bad.size() + good.size());

    const Settings settings{4, 9, 3, 0, -2, false, true};
    const auto run = runTool(QStringList{"--output-dir", out, "--format", "png", "--filter", "4", "--value", "9",
                                         "--red", "3", "--blue", "-2", "--reverse"}
                             + inputs);
    EXPECT_EQ(run.exitCode, 1);
    const QStringList errorLines = lines(run.err);
    ASSERT_EQ(errorLines.size(), bad.size()) << run.err.toStdString();
    for (qsizetype i = 0; i < bad.size(); ++i) {
        EXPECT_TRUE(errorLines.at(i).startsWith("tintwell-cli: cannot read " + bad.at(i) + ": "))
            << errorLines.at(i).toStdString();
        EXPECT_TRUE(errorLines.at(i).contains(badFiles[i].reason)) << errorLines.at(i).toStdString();
    }
    EXPECT_EQ(QDir(out).entryList(QDir::Files, QDir::Name), (QStringList{"good1.png", "good2.png", "good3.png"}));
    for (const QString &input : good) {
        const QString result = output(QFileInfo(input).completeBaseName() + ".png");
        EXPECT_EQ(QImageReader(result).read().convertToFormat(QImage::Format_RGBA8888),
                  expectedOutput(input, settings))
            << result.toStdString();
    }
}

TEST_F(CliHostileTest, BatchJpegsMatchSingleFileRunsByteForByte)
{
    const QStringList good = {path("good1.png"), path("good2.jpg"), path("good3.png")};
    const QString cut = path("cut.jpg");
    ASSERT_TRUE(writeBytes(cut, cutJpeg()));
    const QStringList options = {"--filter", "11", "--value", "5", "--negative"};
    const auto batch = runTool(options + QStringList{"--output-dir", out, good.at(0), cut, good.at(1), good.at(2)});
    EXPECT_EQ(batch.exitCode, 1);
    EXPECT_EQ(lines(batch.err).size(), 1) << batch.err.toStdString();
    EXPECT_TRUE(batch.err.contains(cut));
    for (const QString &input : good) {
        const QString single = path("single.jpg");
        ASSERT_EQ(runTool(options + QStringList{input, single}).exitCode, 0);
        const QString result = output(QFileInfo(input).completeBaseName() + ".jpg");
        EXPECT_FALSE(readBytes(result).isEmpty()) << result.toStdString();
        EXPECT_EQ(readBytes(result), readBytes(single)) << result.toStdString();
    }
}

TEST_F(CliHostileTest, AbsurdHeaderSizesAreRefusedOneLineEach)
{
    for (const QString name : {"huge.png", "huge.jpg"}) {
        const BadFile &bad = name == "huge.png" ? badFiles[4] : badFiles[5];
        makeBadFile(bad, path(name));
        const auto run = runTool({path(name), path("result.png")});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(lines(run.err).size(), 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(path(name))) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("too large")) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(path("result.png")));
    }
}

TEST_F(CliHostileTest, CutJpegClaimingALargeSizeIsRefusedBeforeDecoding)
{
    // 20000 x 20000 fits the limits (1.6 GB); the data is cut inside the scan.
    const QByteArray whole = jpegClaimingSize(20000, 20000);
    ASSERT_TRUE(writeBytes(path("cut-large.jpg"), whole.left(whole.size() - 40)));
    const auto run = runTool({path("cut-large.jpg"), path("result.jpg")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(lines(run.err).size(), 1);
    EXPECT_TRUE(run.err.startsWith("tintwell-cli: cannot read " + path("cut-large.jpg") + ": corrupt JPEG data"))
        << run.err.toStdString();
    // Every tool run so far in this process worked on small pictures; a
    // decode of this one would have filled 1.6 GB.
    rusage usage{};
    ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &usage), 0);
    EXPECT_LT(usage.ru_maxrss, 400L * 1024) << "largest tool run, in kB";
}

// Runs the tool as an unprivileged user where the test is root, so that a file
// without read permission really cannot be read.
CliRun runUnprivileged(const QStringList &arguments)
{
    if (geteuid() != 0)
        return runTool(arguments);
    QProcess process;
    process.start("setpriv", QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", TINTWELL_CLI_PATH}
                                 + arguments);
    EXPECT_TRUE(process.waitForFinished(-1));
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

TEST_F(CliHostileTest, UnreadableFileIsNamedAndTheOthersAreWritten)
{
    if (geteuid() == 0 && QStandardPaths::findExecutable("setpriv").isEmpty())
        GTEST_SKIP() << "root reads any file, and setpriv is not there to drop that";
    const QString locked = path("locked.png");
    ASSERT_TRUE(QFile::copy(path("good3.png"), locked));
    ASSERT_TRUE(QFile::setPermissions(locked, {}));
    // The unprivileged user must reach the folder and write the results.
    const auto everyone = QFile::Permissions(0x7777);
    ASSERT_TRUE(QFile::setPermissions(dir.path(), everyone));
    ASSERT_TRUE(QFile::setPermissions(out, everyone));

    const auto run = runUnprivileged({"--output-dir", out, path("good1.png"), locked, path("good2.jpg")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(lines(run.err), QStringList{"tintwell-cli: cannot read " + locked + ": Permission denied"});
    EXPECT_EQ(QDir(out).entryList(QDir::Files, QDir::Name), (QStringList{"good1.jpg", "good2.jpg"}));
}

TEST_F(CliHostileTest, SecondInputForTheSameOutputIsRefusedUnlessTheFirstFailed)
{
    ASSERT_TRUE(QFile::copy(path("good2.jpg"), path("photo.jpg")));
    ASSERT_TRUE(QFile::copy(path("good1.png"), path("photo.png")));
    const auto clash = runTool({"--output-dir", out, "--format", "png", path("photo.png"), path("photo.jpg")});
    EXPECT_EQ(clash.exitCode, 1);
    EXPECT_EQ(lines(clash.err), QStringList{"tintwell-cli: refusing to write " + output("photo.png") + " for "
                                            + path("photo.jpg") + ": an earlier input was already written there"});
    EXPECT_EQ(QImageReader(output("photo.png")).read().convertToFormat(QImage::Format_RGBA8888),
              expectedOutput(path("photo.png"), {}));

    // When the first cannot be read, the second takes the name.
    ASSERT_TRUE(QFile::remove(output("photo.png")));
    ASSERT_TRUE(writeBytes(path("photo.png"), "not a picture"));
    const auto second = runTool({"--output-dir", out, "--format", "png", path("photo.png"), path("photo.jpg")});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_EQ(lines(second.err).size(), 1) << second.err.toStdString();
    EXPECT_TRUE(second.err.contains("cannot read " + path("photo.png")));
    EXPECT_EQ(QImageReader(output("photo.png")).read().convertToFormat(QImage::Format_RGBA8888),
              expectedOutput(path("photo.jpg"), {}));
}

TEST_F(CliHostileTest, InputMadeByAnEarlierOutputIsNeverOverwritten)
{
    // The second input does not exist until the first job writes it; then it
    // is both the input and the output of the second job.
    const QString made = output("good1.jpg");
    const auto run = runTool({"--output-dir", out, path("good1.png"), made, path("good2.jpg")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(lines(run.err),
              QStringList{"tintwell-cli: refusing to write " + made + ": it is the input file " + made});
    ASSERT_EQ(runTool({path("good1.png"), path("single.jpg")}).exitCode, 0);
    EXPECT_EQ(readBytes(made), readBytes(path("single.jpg")));
    EXPECT_TRUE(QFile::exists(output("good2.jpg")));
}

TEST_F(CliHostileTest, ReadOnlyOutputFolderIsReportedForEachFile)
{
    ScratchMounts mounts;
    if (const QString error = mounts.mountTmpfs(out, "1m"); !error.isEmpty())
        GTEST_SKIP() << "no tmpfs can be mounted here: " << error.toStdString();
    const QByteArray earlier = encode(photoLikeImage(8, 8), "jpeg");
    ASSERT_TRUE(writeBytes(output("good1.jpg"), earlier));
    ASSERT_EQ(mounts.remountReadOnly(out), QString());

    const auto run = runTool({"--output-dir", out, path("good1.png"), path("good2.jpg")});
    EXPECT_EQ(run.exitCode, 1);
    const QStringList errorLines = lines(run.err);
    ASSERT_EQ(errorLines.size(), 2) << run.err.toStdString();
    EXPECT_TRUE(errorLines.at(0).startsWith("tintwell-cli: cannot write " + output("good1.jpg") + ": "));
    EXPECT_TRUE(errorLines.at(1).startsWith("tintwell-cli: cannot write " + output("good2.jpg") + ": "));
    EXPECT_EQ(readBytes(output("good1.jpg")), earlier);
    EXPECT_EQ(QDir(out).entryList(QDir::Files), QStringList{"good1.jpg"});
}

} // namespace
