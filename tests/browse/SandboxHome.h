#pragma once

// Home and trash inside a folder of the test's own, so deleting to the trash
// never touches the user's.

#include <QTemporaryDir>
#include <QtGlobal>

namespace quillstar {

inline void UseSandboxHome(const QTemporaryDir& sandbox)
{
    qputenv("HOME", sandbox.path().toUtf8());
    qputenv("XDG_DATA_HOME", (sandbox.path() + "/data").toUtf8());
}

}  // namespace quillstar
