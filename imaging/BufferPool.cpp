// The result-buffer pool: blank images for render results, large ones in
// reused blocks of transparent huge pages.
#include "BufferPool.h"

#include "ImagePath.h"

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <mutex>

#if defined(Q_OS_LINUX)
#include <sys/mman.h>
#endif

namespace tintwell {

namespace {

#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
// A block of memory asked for as transparent huge pages, with its size.
struct HugeBlock {
    void *memory;
    std::size_t size;
};

// Blocks whose images are gone, kept for the next copy of the same size so
// that its pages are already in place. At most two are kept (the picture shown
// and the one being made), all of one size; any other block is freed. An image
// drops its block on whichever thread lets go of it last, hence the mutex. The
// pool lives as long as the process, so images released at exit still find it.
class HugeBlockPool
{
public:
    static HugeBlockPool &instance()
    {
        static HugeBlockPool *pool = new HugeBlockPool;
        return *pool;
    }

    HugeBlock *take(std::size_t size)
    {
        HugeBlock *dropped[keep] = {};
        std::size_t droppedCount = 0;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            for (std::size_t i = 0; i < m_count; ++i) {
                if (m_blocks[i]->size == size) {
                    HugeBlock *block = m_blocks[i];
                    m_blocks[i] = m_blocks[--m_count];
                    return block;
                }
            }
            // None fits: the kept blocks belong to a picture of another size,
            // so they go before a new block is allocated.
            for (std::size_t i = 0; i < m_count; ++i)
                dropped[droppedCount++] = m_blocks[i];
            m_count = 0;
        }
        freeBlocks(dropped, droppedCount);
        void *memory = std::aligned_alloc(hugePage, size);
        if (!memory)
            return nullptr;
        madvise(memory, size, MADV_HUGEPAGE);
        return new HugeBlock{memory, size};
    }

    void give(HugeBlock *block)
    {
        HugeBlock *dropped[keep + 1] = {};
        std::size_t droppedCount = 0;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            // Blocks of another size are no use to the next copy.
            std::size_t kept = 0;
            for (std::size_t i = 0; i < m_count; ++i) {
                if (m_blocks[i]->size == block->size)
                    m_blocks[kept++] = m_blocks[i];
                else
                    dropped[droppedCount++] = m_blocks[i];
            }
            m_count = kept;
            if (m_count < keep)
                m_blocks[m_count++] = block;
            else
                dropped[droppedCount++] = block;
        }
        freeBlocks(dropped, droppedCount);
    }

    static void freeBlocks(HugeBlock *const *blocks, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i) {
            std::free(blocks[i]->memory);
            delete blocks[i];
        }
    }

    static void release(void *info) { instance().give(static_cast<HugeBlock *>(info)); }

    static constexpr std::size_t hugePage = std::size_t(2) * 1024 * 1024;

private:
    static constexpr std::size_t keep = 2;
    std::mutex m_mutex;
    HugeBlock *m_blocks[keep] = {};
    std::size_t m_count = 0;
};
#endif

} // namespace

namespace {

// A blank image of the given layout; see blankImage.
QImage blankImage(QSize size, QImage::Format format, qsizetype bytesPerLine)
{
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
    constexpr qsizetype hugePage = qsizetype(HugeBlockPool::hugePage);
    const qsizetype bytes = bytesPerLine * size.height();
    if (size.width() > 0 && size.height() > 0 && bytesPerLine > 0 &&
        bytesPerLine <= std::numeric_limits<qsizetype>::max() / size.height() && bytes >= 4 * hugePage) {
        const qsizetype rounded = (bytes + hugePage - 1) / hugePage * hugePage;
        if (HugeBlock *block = HugeBlockPool::instance().take(std::size_t(rounded))) {
            QImage blank(static_cast<uchar *>(block->memory), size.width(), size.height(), bytesPerLine, format,
                         &HugeBlockPool::release, block);
            if (!blank.isNull())
                return blank;
            HugeBlockPool::release(block);
        }
    }
#endif
    return QImage(size, format);
}

} // namespace

void adviseHugePages(void *memory, qsizetype size)
{
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t hugePage = HugeBlockPool::hugePage;
    const auto start = reinterpret_cast<std::uintptr_t>(memory);
    const std::uintptr_t first = (start + hugePage - 1) / hugePage * hugePage;
    const std::uintptr_t end = (start + std::uintptr_t(size)) / hugePage * hugePage;
    if (size > 0 && end > first)
        madvise(reinterpret_cast<void *>(first), end - first, MADV_HUGEPAGE);
#else
    Q_UNUSED(memory);
    Q_UNUSED(size);
#endif
}

QImage blankImage(QSize size, QImage::Format format)
{
    const qsizetype depth = QImage::toPixelFormat(format).bitsPerPixel();
    return blankImage(size, format, (qsizetype(size.width()) * depth + 31) / 32 * 4);
}

QImage blankLike(const QImage &image)
{
    QImage copy = blankImage(image.size(), image.format(), image.bytesPerLine());
    if (!copy.isNull())
        copyPictureAttributes(image, copy);
    return copy;
}

} // namespace tintwell
