// The editor and tintwell-cli give the same bytes for the same picture and
// settings: the real CLI binary writes a PNG that is compared with the shown
// picture.
#include "AppFixture.h"
#include "ImageView.h"
#include "TestPictures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QProcess>
#include <QSlider>

#include <ostream>
#include <string>

#ifdef TINTWELL_CLI_PATH

namespace {

struct Settings {
    int filter;
    int value;
    int red, green, blue;
    bool negative, reverse;
    bool translucent;
};

void PrintTo(const Settings &s, std::ostream *out)
{
    *out << "filter " << s.filter << " value " << s.value << " offsets " << s.red << "," << s.green << ","
         << s.blue << (s.negative ? " negative" : "") << (s.reverse ? " reverse" : "")
         << (s.translucent ? " translucent" : "");
}

} // namespace

class CliParity : public AppFixture, public ::testing::WithParamInterface<Settings>
{
};

TEST_P(CliParity, ShownPictureEqualsCliOutput)
{
    const Settings s = GetParam();
    const QImage picture = s.translucent ? testpics::translucentPattern(37, 23) : testpics::pattern(37, 23);
    const QString input = writePicture(QStringLiteral("in.png"), picture);

    c->filter_selector->setCurrentIndex(s.filter);
    c->slider->setValue(s.value);
    c->slider_red->setValue(s.red);
    c->slider_green->setValue(s.green);
    c->slider_blue->setValue(s.blue);
    c->check_box->setChecked(s.negative);
    c->reverse_box->setChecked(s.reverse);
    open(input);
    ASSERT_FALSE(c->image_view->image().isNull());

    const QString output = pathFor(QStringLiteral("out.png"));
    QStringList args{QStringLiteral("--filter=%1").arg(s.filter), QStringLiteral("--value=%1").arg(s.value),
                     QStringLiteral("--red=%1").arg(s.red), QStringLiteral("--green=%1").arg(s.green),
                     QStringLiteral("--blue=%1").arg(s.blue)};
    if (s.negative)
        args << QStringLiteral("--negative");
    if (s.reverse)
        args << QStringLiteral("--reverse");
    args << input << output;

    QProcess cli;
    cli.start(QStringLiteral(TINTWELL_CLI_PATH), args);
    ASSERT_TRUE(cli.waitForFinished(-1));
    ASSERT_EQ(cli.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();

    const QImage fromCli(output);
    ASSERT_FALSE(fromCli.isNull());
    EXPECT_TRUE(testpics::sameBytes(c->image_view->image(), fromCli));
    EXPECT_FALSE(testpics::sameBytes(c->image_view->image(), picture)); // the filter did something
}

INSTANTIATE_TEST_SUITE_P(Settings, CliParity,
                         ::testing::Values(Settings{7, 37, 5, -3, -56, true, false, false},
                                           Settings{21, -5, 0, 0, 0, false, true, false},
                                           Settings{8, 1, 0, 100, 0, false, false, true},
                                           Settings{18, 100, -128, 127, 3, true, true, false},
                                           Settings{13, -1, 1, 1, 1, false, false, false},
                                           Settings{24, 127, 0, 0, 0, false, false, true}),
                         [](const ::testing::TestParamInfo<Settings> &info) {
                             return "Filter" + std::to_string(info.param.filter) + "Case"
                                    + std::to_string(info.index);
                         });

#endif
