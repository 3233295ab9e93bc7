// Watches one key for a window: reports when it goes down and when it comes
// back up, ignoring the auto-repeat presses in between.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

class HoldKey : public QObject
{
    Q_OBJECT

public:
    // Filters the application's events for key `key` aimed at `window` or any
    // of its children; those key events are consumed.
    HoldKey(Qt::Key key, QWidget *window, QObject *parent = nullptr);
    ~HoldKey() override;

    bool isDown() const { return m_down; }

signals:
    void held(bool down);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setDown(bool down);

    Qt::Key m_key;
    QPointer<QWidget> m_window;
    bool m_down = false;
};
