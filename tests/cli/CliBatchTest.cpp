// tintwell-cli batches with bad files among good ones, their progress line on
// a terminal, and the guards on outputs, each with the line it prints.
#include "CliProcess.h"

#include <QDir>

#include <unistd.h>

namespace {

using namespace tintwell::test;
using CliBatch = CliTest;

// Runs tintwell-cli with stdout and stderr on a new terminal 200 columns wide,
// made by script(1); returns all the terminal received.
QByteArray runOnTerminal(const QStringList &arguments)
{
    QString command = QStringLiteral("stty cols 200; exec '%1'").arg(TINTWELL_CLI_PATH);
    for (const QString &argument : arguments)
        command += " '" + argument + "'";
    QProcess script;
    script.setStandardInputFile(QProcess::nullDevice());
    script.start("script", {"-qefc", command, "/dev/null"});
    EXPECT_TRUE(script.waitForFinished(-1) && script.exitStatus() == QProcess::NormalExit);
    return script.readAllStandardOutput();
}

TEST_F(CliBatch, WritesEveryGoodFileAndNamesEachBadOneOnceInOrder)
{
    // The unreadable good.v2.png comes before good.v2.jpg, which still gets the output name.
    const std::pair<const char *, QByteArray> files[] = {
        {"empty.jpg", QByteArray()},
        {"good.v2.png", "not a picture, only words\n"},
        {"huge.png", pngHeaderOnly(100000, 100000)},
        {"good.v2.jpg", encode(pattern(64, 48, false, 24), "jpeg")},
        {"good3.png", encode(pattern(30, 20, false, 24), "png")},
    };
    for (const auto &[name, bytes] : files)
        ASSERT_TRUE(writeBytes(path(name), bytes));
    ASSERT_TRUE(QDir().mkdir(path("folder.png")));
    ASSERT_TRUE(QDir().mkdir(path("out")));
    const QStringList bad{path("empty.jpg"), path("good.v2.png"), path("huge.png"), path("folder.png"),
                          path("missing.jpg")};
    const QStringList good{in, path("good.v2.jpg"), path("good3.png")};
    // Bad files first, between and last.
    const QStringList inputs = bad.mid(0, 2) + good.mid(0, 1) + bad.mid(2, 2) + good.mid(1) + bad.mid(4);
    const QStringList options{"--filter", "11", "--value", "5", "--blue", "-2", "--negative"};

    const auto run = runTool(options + QStringList{"--output-dir", path("out")} + inputs);
    EXPECT_EQ(run.exitCode, 1);
    const QStringList errors = run.err.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(errors.size(), bad.size()) << run.err.toStdString();
    for (qsizetype i = 0; i < bad.size(); ++i) {
        EXPECT_TRUE(errors.at(i).startsWith("tintwell-cli: cannot read " + bad.at(i) + ": "))
            << errors.at(i).toStdString();
    }
    EXPECT_EQ(listing(path("out")), (QStringList{"good.v2.jpg", "good3.jpg", "in.jpg"}));
    for (const QString &input : good) {
        ASSERT_EQ(runTool(options + QStringList{input, path("single.jpg")}).exitCode, 0);
        EXPECT_EQ(readBytes(path("out/" + QFileInfo(input).completeBaseName() + ".jpg")), readBytes(path("single.jpg")))
            << input.toStdString();
    }

    // On a terminal a line counts the files; it is cleared for an error line
    // and shown again after it. One file shows none.
    const QByteArray shown = "\r[1/2] good.v2.png", blank(shown.size() - 1, ' ');
    EXPECT_EQ(runOnTerminal({"--output-dir", path("out"), bad.at(1), in}),
              shown + "\r" + blank + "\r" + errors.at(1).toLocal8Bit() + "\r\n" + shown + "\r[2/2] in.png     \r"
                  + blank.left(12) + "\r");
    EXPECT_EQ(runOnTerminal({in, path("one.png")}), QByteArray());
}

struct GuardCase {
    const char *name;
    QStringList args;
    QString error; // the whole of stderr
};

TEST_F(CliBatch, RefusedAndFailedJobsSayWhyAndKeepEveryFile)
{
    ASSERT_TRUE(QFile::link(in, path("link.png")));
    ASSERT_EQ(::link(QFile::encodeName(in).constData(), QFile::encodeName(path("hard.png")).constData()), 0);
    ASSERT_TRUE(writeBytes(path("photo.jpg"), encode(pattern(30, 20, false, 24), "jpeg")));
    ASSERT_TRUE(QFile::copy(in, path("photo.png")));
    ASSERT_TRUE(QDir().mkdir(path("out")));
    const QString made = path("out/in.jpg"); // an input the first job writes
    const QString refusing = "tintwell-cli: refusing to write ";
    const GuardCase cases[] = {
        {"symbolicLink", {in, path("link.png")}, refusing + path("link.png") + ": it is the input file " + in},
        {"hardLink", {in, path("hard.png")}, refusing + path("hard.png") + ": it is the input file " + in},
        {"twoInputsOneOutput", {"--output-dir", path("out"), "--format", "PNG", path("photo.png"), path("photo.jpg")},
         refusing + path("out/photo.png") + " for " + path("photo.jpg")
             + ": an earlier input was already written there"},
        {"inputMadeByAnEarlierOutput", {"--output-dir", path("out"), in, made, path("photo.jpg")},
         refusing + made + ": it is the input file " + made},
        {"outputFolderIsAFile", {"--output-dir", in, in}, "tintwell-cli: " + in + " is not a directory"},
        {"missingOutputFolder", {"--output-dir", path("nowhere"), in},
         "tintwell-cli: output directory " + path("nowhere") + " does not exist"},
        {"writeIntoAMissingFolder", {in, path("nowhere/out.png")},
         "tintwell-cli: cannot write " + path("nowhere/out.png") + ": No such file or directory"},
        {"unreadableInputOverAFile", {path("missing.png"), in},
         "tintwell-cli: cannot read " + path("missing.png") + ": File not found"},
    };
    const QByteArray original = readBytes(in);
    for (const GuardCase &c : cases) {
        const auto run = runTool(c.args);
        EXPECT_EQ(run.exitCode, 1) << c.name;
        EXPECT_EQ(run.err, c.error + '\n') << c.name;
        EXPECT_EQ(readBytes(in), original) << c.name;
    }
    EXPECT_FALSE(QFile::exists(path("nowhere")));
    EXPECT_EQ(listing(path("out")), (QStringList{"in.jpg", "photo.jpg", "photo.png"}));
    ASSERT_EQ(runTool({in, path("single.jpg")}).exitCode, 0);
    EXPECT_EQ(readBytes(made), readBytes(path("single.jpg")));
    EXPECT_EQ(pixelBytes(QImage(path("out/photo.png"))), pixelBytes(QImage(path("photo.png"))));
}

} // namespace
