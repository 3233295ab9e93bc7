// The command that "Copy as Command" builds: shell quoting, the options of one
// step, the chain of steps joined by --then, and the output beside the input.
#include "Recipe.h"

#include <QProcess>
#include <gtest/gtest.h>

using tintwell::PassSettings;

namespace {

PassSettings step(qint32 filter, qint64 value)
{
    PassSettings s;
    s.filter = filter;
    s.value = value;
    return s;
}

// What sh makes of `quoted`: the word it hands to a program.
QString shellEcho(const QString &quoted)
{
    QProcess sh;
    sh.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("printf '%s' ") + quoted});
    EXPECT_TRUE(sh.waitForFinished(-1));
    return QString::fromUtf8(sh.readAllStandardOutput());
}

} // namespace

TEST(Recipe, ShellQuoteSurvivesTheShellUnchanged)
{
    EXPECT_EQ(shellQuote(QStringLiteral("/tmp/a.png")), QStringLiteral("'/tmp/a.png'"));
    EXPECT_EQ(shellQuote(QStringLiteral("it's")), QStringLiteral("'it'\\''s'"));
    EXPECT_EQ(shellQuote(QString()), QStringLiteral("''"));
    for (const QString &word : {QStringLiteral("plain"), QStringLiteral("two words"), QStringLiteral("it's"),
                                QStringLiteral("$HOME `x` \"q\" \\ ; & | * ?"), QStringLiteral("''"),
                                QStringLiteral("Ünïcødé ✓")})
        EXPECT_EQ(shellEcho(shellQuote(word)), word) << word.toStdString();
}

TEST(Recipe, StepArgumentsOmitDefaultOffsetsAndFlags)
{
    EXPECT_EQ(stepArguments(PassSettings{}),
              (QStringList{"--filter", "0", "--value", "0"}));
    PassSettings full;
    full.filter = 3;
    full.value = 7;
    full.red = 1;
    full.green = 2;
    full.blue = 3;
    full.negative = true;
    full.reverse = true;
    EXPECT_EQ(stepArguments(full), (QStringList{"--filter", "3", "--value", "7", "--red", "1", "--green", "2",
                                                "--blue", "3", "--negative", "--reverse"}));
    PassSettings some;
    some.filter = -1;
    some.value = -2;
    some.green = -128;
    some.reverse = true;
    EXPECT_EQ(stepArguments(some),
              (QStringList{"--filter", "-1", "--value", "-2", "--green", "-128", "--reverse"}));
}

TEST(Recipe, OutputSitsBesideTheInputAsPng)
{
    EXPECT_EQ(commandOutputPath(QStringLiteral("/home/u/photo.jpg")), QStringLiteral("/home/u/photo-tintwell.png"));
    EXPECT_EQ(commandOutputPath(QStringLiteral("/p/a.b.png")), QStringLiteral("/p/a.b-tintwell.png"));
    EXPECT_EQ(commandOutputPath(QStringLiteral("/p/noext")), QStringLiteral("/p/noext-tintwell.png"));
}

TEST(Recipe, CommandListsEveryStepThenInputAndOutput)
{
    PassSettings first = step(3, 7);
    first.red = 1;
    first.green = 2;
    first.blue = 3;
    first.negative = true;
    first.reverse = true;
    EXPECT_EQ(commandLine(QStringLiteral("/in/photo.jpg"), {first, step(8, -2)}),
              QStringLiteral("tintwell-cli --filter 3 --value 7 --red 1 --green 2 --blue 3 --negative --reverse "
                             "--then --filter 8 --value -2 '/in/photo.jpg' '/in/photo-tintwell.png'"));
    EXPECT_EQ(commandLine(QStringLiteral("/x/it's.png"), {step(0, 0)}),
              QStringLiteral("tintwell-cli --filter 0 --value 0 '/x/it'\\''s.png' '/x/it'\\''s-tintwell.png'"));
    EXPECT_EQ(commandLine(QStringLiteral("/a.png"), {step(1, 1), step(2, 2), step(3, 3)}),
              QStringLiteral("tintwell-cli --filter 1 --value 1 --then --filter 2 --value 2 --then --filter 3 "
                             "--value 3 '/a.png' '/a-tintwell.png'"));
}

TEST(Recipe, OnlyAFileCanBeRepeated)
{
    EXPECT_FALSE(Recipe{}.hasFile());
    EXPECT_TRUE((Recipe{QStringLiteral("/a.png"), {}}).hasFile());
}
