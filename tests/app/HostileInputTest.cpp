// Hostile inputs on the real window: huge and lying picture files, whatever the
// clipboard may hold, and saves onto places that refuse them.
#include "../imaging/HostileFiles.h"
#include "../imaging/ScratchMounts.h"
#include "AppFixture.h"
#include "ImagePath.h"
#include "ImageView.h"
#include "TestPictures.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QLabel>
#include <QMimeData>
#include <QSlider>
#include <QUrl>

#include <cstdio>
#include <functional>
#include <vector>
#include <cstring>

using testpics::pixelAt;
using testpics::Rgba;

namespace {

// Peak resident memory of this process in kB since the last resetPeakMemory().
long peakMemoryKB()
{
    long value = -1;
    if (FILE *status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::strncmp(line, "VmHWM:", 6) == 0)
                value = std::atol(line + 6);
        std::fclose(status);
    }
    return value;
}

bool resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

} // namespace

class HostileInput : public AppFixture
{
protected:
    // Opens a small pattern with filter 0 at value 10.
    void openPattern()
    {
        c->filter_selector->setCurrentIndex(0);
        c->slider->setValue(10);
        open(writePicture(QStringLiteral("pattern.png"), testpics::pattern(40, 30)));
        ASSERT_FALSE(shown().isNull());
        remember();
    }
    void remember()
    {
        sourceKey = c->current_image.cacheKey();
        shownKey = shown().cacheKey();
        displayKey = c->image_view->displayImage().cacheKey();
        label = c->slider_pos->text();
    }
    void expectNothingChanged()
    {
        EXPECT_EQ(c->current_image.cacheKey(), sourceKey);
        EXPECT_EQ(shown().cacheKey(), shownKey);
        EXPECT_EQ(c->image_view->displayImage().cacheKey(), displayKey);
        EXPECT_EQ(c->slider_pos->text(), label);
    }
    qint64 sourceKey = 0, shownKey = 0, displayKey = 0;
    QString label;
};

// --- huge and lying files ------------------------------------------------------

TEST_F(HostileInput, HundredMegapixelPhotoOpensAndRenders)
{
    const QString path = pathFor(QStringLiteral("huge.jpg"));
    {
        QImage photo(12000, 8400, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y) {
            auto *row = reinterpret_cast<QRgb *>(photo.scanLine(y));
            for (int x = 0; x < photo.width(); ++x)
                row[x] = qRgb(x / 48, y / 33, 90);
        }
        QImageWriter writer(path);
        writer.setQuality(80);
        ASSERT_TRUE(writer.write(photo)) << writer.errorString().toStdString();
    }
    c->filter_selector->setCurrentIndex(0);
    c->slider->setValue(10);
    open(path);
    EXPECT_TRUE(messages->errors.isEmpty()) << messages->errors.value(0).toStdString();
    ASSERT_EQ(c->current_image.size(), QSize(12000, 8400));
    ASSERT_EQ(shown().size(), QSize(12000, 8400));
    const QSize display = c->image_view->displayImage().size();
    EXPECT_LE(display.width(), c->image_view->width() * c->image_view->devicePixelRatioF());
    EXPECT_GT(display.width(), 0);
    for (const QPoint p : {QPoint(0, 0), QPoint(6000, 4200), QPoint(11999, 8399)}) {
        const Rgba in = pixelAt(c->current_image, p.x(), p.y());
        EXPECT_EQ(pixelAt(shown(), p.x(), p.y()), (Rgba{(in.r + 10) % 256, (in.g + 10) % 256, (in.b + 10) % 256, 255}));
    }
}

TEST_F(HostileInput, AbsurdHeaderSizesAreRefusedNamingTheFileBeforeAllocating)
{
    openPattern();
    const QString png = pathFor(QStringLiteral("absurd.png"));
    const QString jpeg = pathFor(QStringLiteral("absurd.jpg"));
    ASSERT_TRUE(tintwell::test::writeBytes(png, tintwell::test::pngHeaderOnly(100000, 100000)));
    ASSERT_TRUE(tintwell::test::writeBytes(jpeg, tintwell::test::jpegClaimingSize(65535, 65535)));

    const bool measured = resetPeakMemory();
    const long before = peakMemoryKB();
    open(png);
    open(jpeg);
    if (measured)
        EXPECT_LT(peakMemoryKB() - before, 64 * 1024) << "kB allocated while refusing";

    ASSERT_EQ(messages->errors.size(), 2);
    EXPECT_TRUE(messages->errors[0].contains(QDir::toNativeSeparators(png))) << messages->errors[0].toStdString();
    EXPECT_TRUE(messages->errors[1].contains(QDir::toNativeSeparators(jpeg))) << messages->errors[1].toStdString();
    expectNothingChanged();
}

// --- the clipboard ---------------------------------------------------------------

TEST_F(HostileInput, PasteOfAnythingButAnImageChangesNothing)
{
    const QString picture = writePicture(QStringLiteral("on-disk.png"), testpics::pattern(8, 8));
    const auto offers = std::vector<std::function<QMimeData *()>>{
        [] { return new QMimeData; }, // empty
        [] {
            auto *data = new QMimeData;
            data->setText(QStringLiteral("not a picture"));
            return data;
        },
        [] {
            auto *data = new QMimeData;
            data->setHtml(QStringLiteral("<img src=\"x.png\"><b>bold</b>"));
            return data;
        },
        [picture] {
            auto *data = new QMimeData;
            data->setUrls({QUrl::fromLocalFile(picture), QUrl(QStringLiteral("https://example.org/a.png"))});
            return data;
        },
        [] {
            auto *data = new QMimeData;
            data->setImageData(QImage()); // claims an image, holds none
            return data;
        },
    };
    // Without a source, and then with one.
    for (const auto &offer : offers) {
        QApplication::clipboard()->setMimeData(offer());
        c->setPasteboardAsSource();
        EXPECT_TRUE(c->current_image.isNull());
        EXPECT_TRUE(shown().isNull());
    }
    openPattern();
    for (const auto &offer : offers) {
        QApplication::clipboard()->setMimeData(offer());
        c->setPasteboardAsSource();
        expectNothingChanged();
    }
    QApplication::clipboard()->clear();
    c->setPasteboardAsSource();
    expectNothingChanged();
    EXPECT_TRUE(messages->errors.isEmpty());
}

struct OddImage {
    const char *name;
    std::function<QImage()> make;
    QImage::Format working; // the source's format after the paste
    Rgba pixel;             // its bytes at (1, 1)
    int tolerance;
};

class PasteOddFormat : public HostileInput, public ::testing::WithParamInterface<OddImage>
{
};

TEST_P(PasteOddFormat, BecomesTheEightBitWorkingCopyWithTheRightBytes)
{
    openPattern();
    c->filter_selector->setCurrentIndex(-1); // no filter: the result is the source
    auto *data = new QMimeData;
    const QImage odd = GetParam().make();
    data->setImageData(odd);
    QApplication::clipboard()->setMimeData(data);
    c->setPasteboardAsSource();

    ASSERT_EQ(c->current_image.size(), odd.size());
    EXPECT_EQ(c->current_image.format(), GetParam().working);
    const Rgba got = pixelAt(c->current_image, 1, 1);
    const Rgba want = GetParam().pixel;
    const int tol = GetParam().tolerance;
    EXPECT_NEAR(got.r, want.r, tol);
    EXPECT_NEAR(got.g, want.g, tol);
    EXPECT_NEAR(got.b, want.b, tol);
    EXPECT_EQ(got.a, want.a);
    EXPECT_TRUE(testpics::sameBytes(shown(), c->current_image));
    EXPECT_FALSE(c->image_view->displayImage().isNull());
}

INSTANTIATE_TEST_SUITE_P(
    Formats, PasteOddFormat,
    ::testing::Values(
        OddImage{"Indexed",
                 [] {
                     QImage image(5, 4, QImage::Format_Indexed8);
                     image.setColorTable({qRgb(10, 20, 30), qRgb(200, 100, 50)});
                     image.fill(1);
                     return image;
                 },
                 QImage::Format_RGBX8888, {200, 100, 50, 255}, 0},
        OddImage{"IndexedWithTransparency",
                 [] {
                     QImage image(5, 4, QImage::Format_Indexed8);
                     image.setColorTable({qRgba(10, 20, 30, 0), qRgba(200, 100, 50, 255)});
                     image.fill(1);
                     return image;
                 },
                 QImage::Format_RGBA8888, {200, 100, 50, 255}, 0},
        OddImage{"Grey",
                 [] {
                     QImage image(5, 4, QImage::Format_Grayscale8);
                     image.fill(77);
                     return image;
                 },
                 QImage::Format_RGBX8888, {77, 77, 77, 255}, 0},
        OddImage{"Rgba64",
                 [] {
                     QImage image(5, 4, QImage::Format_RGBA64);
                     image.fill(QColor::fromRgba64(QRgba64::fromRgba64(257 * 40, 257 * 120, 257 * 250, 257 * 200)));
                     return image;
                 },
                 QImage::Format_RGBA8888, {40, 120, 250, 200}, 0},
        OddImage{"PremultipliedArgb32",
                 [] {
                     QImage image(5, 4, QImage::Format_ARGB32_Premultiplied);
                     image.fill(qPremultiply(qRgba(200, 100, 50, 128)));
                     return image;
                 },
                 QImage::Format_RGBA8888, {200, 100, 50, 128}, 2}),
    [](const auto &info) { return std::string(info.param.name); });

// --- saving -------------------------------------------------------------------------

class HostileSave : public HostileInput
{
protected:
    // A picture whose JPEG at quality 100 is far larger than 64 kB.
    void openNoisyPicture()
    {
        c->filter_selector->setCurrentIndex(0);
        open(writePicture(QStringLiteral("noisy.png"), tintwell::test::photoLikeImage(500, 400, 7)));
        ASSERT_FALSE(shown().isNull());
        remember();
    }
    // Mounts a small tmpfs on a new folder `name`; skips the test when mounting
    // is not possible here.
    QString mountScratch(const QString &name, const QString &size)
    {
        const QString folder = pathFor(name);
        EXPECT_TRUE(QDir().mkpath(folder));
        const QString error = mounts.mountTmpfs(folder, size);
        if (!error.isEmpty())
            mountError = error;
        return folder;
    }
    void expectSaveRefused(const QString &path)
    {
        const qsizetype before = messages->errors.size();
        dialogs->saveAnswers << path;
        c->saveImage();
        ASSERT_EQ(messages->errors.size(), before + 1) << path.toStdString();
        EXPECT_TRUE(messages->errors.constLast().contains(QDir::toNativeSeparators(path)))
            << messages->errors.constLast().toStdString();
        expectNothingChanged();
    }
    tintwell::test::ScratchMounts mounts; // unmounted before the folder goes
    QString mountError;
};

TEST_F(HostileSave, MissingFolderIsReportedAndCreatesNothing)
{
    openNoisyPicture();
    const QString path = pathFor(QStringLiteral("nowhere/deeper/out.jpg"));
    expectSaveRefused(path);
    EXPECT_FALSE(QFileInfo::exists(pathFor(QStringLiteral("nowhere"))));
}

TEST_F(HostileSave, ReadOnlyFolderAndFileAreReportedAndKeptIntact)
{
    openNoisyPicture();
    const QString folder = mountScratch(QStringLiteral("readonly"), QStringLiteral("256k"));
    if (!mountError.isEmpty())
        GTEST_SKIP() << "cannot mount a scratch file system here: " << mountError.toStdString();
    const QString old = folder + QStringLiteral("/old.jpg");
    ASSERT_TRUE(tintwell::test::writeBytes(old, "old bytes"));
    const QString error = mounts.remountReadOnly(folder);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();

    expectSaveRefused(folder + QStringLiteral("/new.jpg"));
    expectSaveRefused(old);
    EXPECT_EQ(tintwell::test::readBytes(old), QByteArray("old bytes"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("old.jpg")});

    // A read-only file in a writable folder.
    const QString file = pathFor(QStringLiteral("locked.jpg"));
    ASSERT_TRUE(tintwell::test::writeBytes(file, "locked bytes"));
    const QString bindError = mounts.bindReadOnly(file);
    ASSERT_TRUE(bindError.isEmpty()) << bindError.toStdString();
    expectSaveRefused(file);
    EXPECT_EQ(tintwell::test::readBytes(file), QByteArray("locked bytes"));
    const QStringList left = QDir(dir.path()).entryList({QStringLiteral("locked*")}, QDir::Files | QDir::Hidden);
    EXPECT_EQ(left, QStringList{QStringLiteral("locked.jpg")}); // no temporary file left behind
}

TEST_F(HostileSave, FullDiskIsReportedAndLeavesNoTruncatedFile)
{
    openNoisyPicture();
    const QString folder = mountScratch(QStringLiteral("full"), QStringLiteral("64k"));
    if (!mountError.isEmpty())
        GTEST_SKIP() << "cannot mount a scratch file system here: " << mountError.toStdString();
    const QString old = folder + QStringLiteral("/old.jpg");
    const QByteArray oldBytes(20000, 'o');
    ASSERT_TRUE(tintwell::test::writeBytes(old, oldBytes));

    expectSaveRefused(old);
    EXPECT_EQ(tintwell::test::readBytes(old), oldBytes);
    expectSaveRefused(folder + QStringLiteral("/new.jpg"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("old.jpg")});

    // The editor still saves where there is room.
    dialogs->saveAnswers << pathFor(QStringLiteral("fine.jpg"));
    const qsizetype errors = messages->errors.size();
    c->saveImage();
    EXPECT_EQ(messages->errors.size(), errors);
    EXPECT_EQ(QImage(pathFor(QStringLiteral("fine.jpg"))).size(), QSize(500, 400));
}
