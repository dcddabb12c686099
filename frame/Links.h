// The addresses that the help commands open in the default browser: the
// project's own manual (its README) and its releases.
#pragma once

namespace memo {

constexpr char kManualUrl[] = "https://github.com/quendra/memopane#readme";
constexpr char kDownloadUrl[] = "https://github.com/quendra/memopane/releases";

}  // namespace memo
