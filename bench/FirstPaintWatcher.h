#pragma once

#include <QObject>
#include <QSet>
#include <QString>

#include <functional>

namespace bench {

// Watches every paint event of the process and says when each of the named
// top-level windows has been painted for the first time, and, for skinned
// windows, its caption bar too (so the frame counted is a skinned one). The
// probes use it to stop right after a window's first frame.
class FirstPaintWatcher : public QObject
{
public:
    FirstPaintWatcher(const QStringList &windowNames, bool skinned);
    ~FirstPaintWatcher() override;

    bool allPainted() const;
    // Called once, from the paint event that completes the set.
    void setOnAllPainted(std::function<void()> handler) { m_onAllPainted = std::move(handler); }
    // Runs events until all are painted; false after `timeoutMs`.
    bool waitAllPainted(int timeoutMs);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const QSet<QString> m_windows;
    const bool m_skinned;
    QSet<QString> m_paintedWindows;
    QSet<QString> m_paintedCaptions;
    std::function<void()> m_onAllPainted;
    bool m_done = false;
};

} // namespace bench
