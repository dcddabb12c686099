// The read-only attribute of files and folders for tests.
//
// Wine keeps no read-only bit for folders: SetFileAttributesA succeeds and
// changes nothing. It does report a folder without write permission on the
// host as read-only, and clearing the bit through SetFileAttributesA gives
// the permission back; so a test that needs a read-only folder gets one by
// taking the write permission away on the host.
#pragma once

#include <string>

namespace memo::test {

bool IsReadOnly(const std::string& path);

// Sets the read-only attribute of a file or folder; true when it then shows.
bool MakeReadOnly(const std::string& path);

// Clears it again (and gives Wine folders their write permission back).
bool ClearReadOnly(const std::string& path);

// Whether SetFileAttributesA can make a folder read-only here: false under
// Wine. The program hides a page by exactly that call.
bool PlatformKeepsReadOnlyFolders();

}  // namespace memo::test
