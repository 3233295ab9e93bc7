// Small file systems mounted for one test (a read-only folder, a read-only
// file, a nearly full disk) and unmounted again when the test ends.
#pragma once

#include <QStringList>

namespace tintwell::test {

// Runs mount(8); every mount point made is unmounted, last first, when the
// object goes. Mounting needs root: callers skip their test when a call
// returns what mount said (an empty string is success).
class ScratchMounts
{
public:
    ScratchMounts() = default;
    ScratchMounts(const ScratchMounts &) = delete;
    ~ScratchMounts();
    // A tmpfs of `size` (e.g. "256k") on the existing folder `target`.
    QString mountTmpfs(const QString &target, const QString &size);
    // `path` (a file or folder) bound onto itself, and made read-only if asked.
    QString bind(const QString &path, bool readOnly);
    QString remountReadOnly(const QString &target) { return run({"-o", "remount,ro", target}); }

private:
    QString run(const QStringList &arguments, const char *program = "mount");
    QStringList m_mounted;
};

} // namespace tintwell::test
