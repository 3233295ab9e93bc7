// The filter gallery: a strip with one small preview of the current picture
// per filter, made in the background once the controls settle; clicking a
// preview selects that filter.
#pragma once

#include "ImagePath.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QSize>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <memory>

class QComboBox;
class QListWidget;

class FilterGallery : public QObject
{
    Q_OBJECT

public:
    // Fills `strip` with one item per item of `selector` (its text, in its
    // order); choosing item k in the strip selects item k of `selector`, as
    // choosing it there would.
    FilterGallery(QListWidget *strip, QComboBox *selector, QObject *parent = nullptr);
    // Drops the work in hand and waits for the worker to stop.
    ~FilterGallery() override;

    // The box every preview fits in, in the strip's logical pixels (the
    // previews have as many device pixels as the screen shows there).
    static QSize previewBox() { return {104, 72}; }
    // How long the picture and the settings must stay unchanged before new
    // previews are made.
    static constexpr int settleMsecs = 250;

    // The picture and the settings the previews are to show. The strip marks
    // settings.filter at once; previews for a new picture or other settings
    // (the filter aside) are made settleMsecs after the last call, while the
    // strip is shown. A null picture clears them.
    void showPicture(const QImage &source, const tintwell::PassSettings &settings);

    // The preview of filter `filter` as the strip shows it; null while none
    // has arrived for the current picture and settings.
    QImage preview(int filter) const { return m_previews.value(filter); }

protected:
    // Previews skipped while the strip was hidden are made when it shows.
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    // Every preview of the latest picture and settings is in the strip.
    void previewsReady();

private:
    void start();
    void receive(quint64 generation, int filter, const QImage &preview);
    void select(int row);
    bool isRequested(const QImage &source, const tintwell::PassSettings &settings) const;

    QListWidget *m_strip;
    QComboBox *m_selector;
    QTimer m_settle;
    QThreadPool m_worker;
    // Numbers the requests; work and results of an older number are dropped.
    std::shared_ptr<std::atomic<quint64>> m_generation = std::make_shared<std::atomic<quint64>>(0);
    QImage m_source;                    // what the next request will show
    tintwell::PassSettings m_settings;
    QImage m_requestedSource;           // what the previews under way or shown are of
    tintwell::PassSettings m_requested;
    bool m_hasRequest = false;
    QList<QImage> m_previews;
    int m_received = 0;
};
