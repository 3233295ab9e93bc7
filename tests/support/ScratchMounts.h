// Small file systems mounted for one test (a read-only folder, a read-only
// file, a nearly full disk) and unmounted again when the test ends.
#pragma once

#include <QString>
#include <QStringList>

namespace tintwell::test {

// Runs mount(8); every mount point it made is unmounted, last first, when the
// object goes. Mounting needs root (or the right capability): callers skip
// their test when mount() reports an error.
class ScratchMounts
{
public:
    ScratchMounts() = default;
    ScratchMounts(const ScratchMounts &) = delete;
    ScratchMounts &operator=(const ScratchMounts &) = delete;
    ~ScratchMounts();

    // A tmpfs of `size` (e.g. "256k") on the existing folder `target`.
    // Returns an empty string on success, else what mount said.
    QString mountTmpfs(const QString &target, const QString &size);

    // `path` (a file or folder) bound onto itself, and made read-only if asked.
    QString bind(const QString &path, bool readOnly);

    // Makes the file system mounted at `target` read-only.
    QString remountReadOnly(const QString &target);

private:
    QString run(const QString &program, const QStringList &arguments);

    QStringList m_mounted;
};

} // namespace tintwell::test
