// jpegReachesEndMarker: whole JPEG data against data cut anywhere.
#include "HostileFiles.h"
#include "JpegEnd.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using tintwell::test::encode;
using tintwell::test::photoLikeImage;

QByteArray baseline()
{
    static const QByteArray bytes = encode(photoLikeImage(96, 64, 3), "jpeg", 90);
    return bytes;
}

QByteArray progressive()
{
    static const QByteArray bytes = encode(photoLikeImage(96, 64, 4), "jpeg", 80, true);
    return bytes;
}

// A comment segment holding an end-of-image marker, as an embedded thumbnail
// would, put right after the start-of-image marker.
QByteArray withMarkerInSegment(const QByteArray &jpeg)
{
    const QByteArray comment("\xFF\xFE\x00\x06\xFF\xD9\xFF\xD9", 8);
    return jpeg.left(2) + comment + jpeg.mid(2);
}

struct EndCase {
    const char *name;
    std::function<QByteArray()> make;
    bool whole;
};

const EndCase endCases[] = {
    {"baseline", baseline, true},
    {"progressive", progressive, true},
    {"trailingBytesAfterTheEnd", [] { return baseline() + "trailing junk"; }, true},
    {"markerInsideASegment", [] { return withMarkerInSegment(baseline()); }, true},
    {"notAJpegAtAll", [] { return QByteArray("plain text"); }, true},
    {"empty", [] { return QByteArray(); }, true},
    {"baselineCutInHalf", [] { return baseline().left(baseline().size() / 2); }, false},
    {"baselineWithoutLastByte", [] { return baseline().chopped(1); }, false},
    {"progressiveCutInHalf", [] { return progressive().left(progressive().size() / 2); }, false},
    {"cutInsideTheHeaders", [] { return baseline().left(40); }, false},
    {"onlyStartOfImage", [] { return QByteArray("\xFF\xD8", 2); }, false},
    {"segmentLongerThanTheData", [] { return QByteArray("\xFF\xD8\xFF\xE0\x10\x00\x01\x02", 8); }, false},
    {"cutAfterAMarkerInsideASegment", [] { return withMarkerInSegment(baseline()).left(200); }, false},
};

void PrintTo(const EndCase &c, std::ostream *os)
{
    *os << c.name;
}

class JpegEndTest : public testing::TestWithParam<EndCase> {};

TEST_P(JpegEndTest, FindsTheEndMarkerOnlyInWholeData)
{
    const EndCase &c = GetParam();
    const QByteArray data = c.make();
    EXPECT_EQ(tintwell::jpegReachesEndMarker(data), c.whole);
}

INSTANTIATE_TEST_SUITE_P(Cases, JpegEndTest, testing::ValuesIn(endCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(JpegEnd, EveryCutOfTheScanIsCaught)
{
    const QByteArray whole = progressive();
    ASSERT_TRUE(tintwell::jpegReachesEndMarker(whole));
    for (qsizetype size = 2; size < whole.size(); size += 7)
        EXPECT_FALSE(tintwell::jpegReachesEndMarker(whole.left(size))) << "cut at " << size;
}

} // namespace
