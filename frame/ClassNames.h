// The window class names of the program. The class name is also how windows
// tell each other's kind apart.
#pragma once

namespace memo {

constexpr char kClassMain[] = "Memopane-Main";
constexpr char kClassEdgeBar[] = "Memopane-Bar";
constexpr char kClassMini[] = "Memopane-Mini";
constexpr char kClassText[] = "Memopane-Text";
constexpr char kClassFolder[] = "Memopane-Folder";
constexpr char kClassBrowser[] = "Memopane-Browser";
constexpr char kClassImage[] = "Memopane-Image";
constexpr char kClassCalendar[] = "Memopane-Calender";  // sic: stored files say "calender"
constexpr char kClassSplash[] = "Memopane-Splash";

// Note window classes in the order in which a note is looked up by name.
constexpr const char* kNoteClasses[] = {kClassText, kClassFolder, kClassBrowser, kClassCalendar,
                                        kClassImage};

// Windows closed when a page is left: edge bars and the five note kinds.
constexpr const char* kPageWindowClasses[] = {kClassEdgeBar,  kClassText,     kClassFolder,
                                              kClassBrowser,  kClassCalendar, kClassImage};

}  // namespace memo
