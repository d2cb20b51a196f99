// Atomic replacement of small whole files (histories, start-up paths).
#include "rt_file.h"

#include <QSaveFile>
#include <QString>

int WriteWholeFile(const char *fileName, const char *data, int count)
{
    if (!fileName || !*fileName || count < 0 || (count > 0 && !data))
        return kFileError;
    // Writing beside a FIFO or device node and renaming would replace it.
    if (CheckFileKind(fileName) < 0)
        return kFileNotRegular;
    QSaveFile f(QString::fromLocal8Bit(fileName));
    // Unbuffered, so that a short write (a full disk, a file-size limit) shows
    // in write()'s count at once instead of being lost in a buffer flushed by
    // commit().
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return kFileError;
    if (f.write(data, count) != count) {
        f.cancelWriting();
        return kFileError;
    }
    return f.commit() ? 0 : kFileError;
}
