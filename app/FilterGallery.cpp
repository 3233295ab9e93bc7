#include "FilterGallery.h"

#include "Preview.h"

#include <QComboBox>
#include <QEvent>
#include <QIcon>
#include <QListWidget>
#include <QPixmap>
#include <QSignalBlocker>
#include <QStyle>
#include <QThread>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

// Nice 10 for the calling thread and the threads it starts from now on (Linux
// keeps nice values per thread). Not the idle class: a render of the window
// that waits for a preview pass would wait as long as the machine is busy.
void lowerThreadPriority()
{
#ifdef Q_OS_LINUX
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
#endif
}

} // namespace

FilterGallery::FilterGallery(QListWidget *strip, QComboBox *selector, QObject *parent)
    : QObject(parent), m_strip(strip), m_selector(selector)
{
    // One worker at a lower priority, one filter at a time: a render of the
    // window waits for at most the one preview pass in hand.
    m_worker.setMaxThreadCount(1);

    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMsecs);
    connect(&m_settle, &QTimer::timeout, this, &FilterGallery::start);

    const QSize box = previewBox();
    m_strip->setViewMode(QListView::IconMode);
    m_strip->setFlow(QListView::LeftToRight);
    m_strip->setWrapping(false);
    m_strip->setMovement(QListView::Static);
    m_strip->setWordWrap(true);
    m_strip->setIconSize(box);
    // Every item one size: the preview box over two lines of its name.
    const QSize cell(box.width() + 24, box.height() + 2 * m_strip->fontMetrics().lineSpacing() + 10);
    m_strip->setGridSize(cell);
    m_strip->setFixedHeight(cell.height() + m_strip->style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                            2 * m_strip->frameWidth() + 6);
    for (int k = 0; k < m_selector->count(); ++k) {
        auto *item = new QListWidgetItem(m_selector->itemText(k), m_strip);
        item->setToolTip(m_selector->itemText(k));
        item->setSizeHint(cell);
    }
    m_previews.resize(m_selector->count());
    select(m_selector->currentIndex());
    connect(m_strip, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            m_selector->setCurrentIndex(row);
    });
    connect(m_selector, &QComboBox::currentIndexChanged, this, &FilterGallery::select);
    m_strip->installEventFilter(this);
}

bool FilterGallery::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_strip && event->type() == QEvent::Show && !m_hasRequest && !m_source.isNull())
        m_settle.start();
    return QObject::eventFilter(watched, event);
}

FilterGallery::~FilterGallery()
{
    ++*m_generation;
    m_worker.clear();
    m_worker.waitForDone();
}

void FilterGallery::select(int row)
{
    const QSignalBlocker blocker(m_strip);
    m_strip->setCurrentRow(row);
}

// Every preview shares all settings but the filter: a new filter alone
// changes none of them.
bool FilterGallery::isRequested(const QImage &source, const tintwell::PassSettings &settings) const
{
    tintwell::PassSettings look = settings;
    look.filter = m_requested.filter;
    return m_hasRequest && source.cacheKey() == m_requestedSource.cacheKey() && look == m_requested;
}

void FilterGallery::showPicture(const QImage &source, const tintwell::PassSettings &settings)
{
    select(settings.filter);
    m_source = source;
    m_settings = settings;
    if (isRequested(source, settings)) {
        m_settle.stop(); // back to what is shown or under way
        return;
    }
    ++*m_generation; // whatever is under way is of older settings
    m_hasRequest = false;
    if (source.isNull()) {
        m_settle.stop();
        m_previews.fill(QImage());
        for (int k = 0; k < m_strip->count(); ++k)
            m_strip->item(k)->setIcon(QIcon());
        return;
    }
    m_settle.start();
}

// Renders every filter at full size and shrinks it, one filter at a time,
// until a newer request comes.
void FilterGallery::start()
{
    if (!m_strip->isVisible())
        return; // made when the strip is shown again
    m_requestedSource = m_source;
    m_requested = m_settings;
    m_hasRequest = true;
    m_received = 0;
    const quint64 generation = ++*m_generation;
    const std::shared_ptr<std::atomic<quint64>> current = m_generation;
    const QImage source = m_source;
    const tintwell::PassSettings settings = m_settings;
    const int count = int(m_previews.size());
    // Sharp on a scaled screen: the box in device pixels.
    const qreal ratio = m_strip->devicePixelRatioF();
    m_worker.start([this, current, generation, source, settings, count, ratio] {
        lowerThreadPriority();
        for (int k = 0; k < count && *current == generation; ++k) {
            tintwell::PassSettings s = settings;
            s.filter = k;
            QImage preview = tintwell::renderPreview(source, s, previewBox() * ratio);
            preview.setDevicePixelRatio(ratio);
            QMetaObject::invokeMethod(
                this, [this, generation, k, preview] { receive(generation, k, preview); }, Qt::QueuedConnection);
            QThread::yieldCurrentThread();
        }
    });
}

void FilterGallery::receive(quint64 generation, int filter, const QImage &preview)
{
    if (generation != *m_generation)
        return; // made for settings that have changed since
    m_previews[filter] = preview;
    m_strip->item(filter)->setIcon(QIcon(QPixmap::fromImage(preview)));
    if (++m_received == m_previews.size())
        emit previewsReady();
}
