// The built-in line icons. Paths are drawn in a 24 x 24 box with round caps and joins; a path
// starting with "@" is filled instead of stroked.

#include "desktop/line_icon_provider.h"

namespace qv::ui {

const QHash<QString, QString>& LineIconProvider::table() {
    static const QHash<QString, QString> icons = {
        {"logo", "M4 10v4M8 6v12M12 9v6M16 4v16M20 10v4"},
        {"minimize", "M5 12h14"},
        {"maximize", "M5.5 5.5h13v13h-13z"},
        {"restore", "M5.5 8.5h10v10h-10zM8.5 8.5v-3h10v10h-3"},
        {"close", "M5.5 5.5l13 13M18.5 5.5l-13 13"},
        {"headphones", "M4 14v-2a8 8 0 0 1 16 0v2M4 14h3v6H4zM17 14h3v6h-3z"},
        {"record", "@M12 5a7 7 0 1 0 0 14a7 7 0 1 0 0-14z"},
        {"gear",
         "M19.06 10.57 L21.53 10.85 L21.53 13.15 L19.06 13.43 L18.00 15.98 L19.55 17.93 L17.93 "
         "19.55 L15.98 18.00 L13.43 19.06 L13.15 21.53 L10.85 21.53 L10.57 19.06 L8.02 18.00 L6.07 "
         "19.55 L4.45 17.93 L6.00 15.98 L4.94 13.43 L2.47 13.15 L2.47 10.85 L4.94 10.57 L6.00 8.02 "
         "L4.45 6.07 L6.07 4.45 L8.02 6.00 L10.57 4.94 L10.85 2.47 L13.15 2.47 L13.43 4.94 L15.98 "
         "6.00 L17.93 4.45 L19.55 6.07 L18.00 8.02zM12 9a3 3 0 1 0 0 6a3 3 0 1 0 0-6z"},
        {"eq", "M6 4v16M12 4v16M18 4v16M3.5 9h5M9.5 15h5M15.5 7h5"},
        {"swap", "M4 8h14M14 4l4 4-4 4M20 16H6M10 12l-4 4 4 4"},
        {"search", "M11 4a7 7 0 1 0 0 14a7 7 0 1 0 0-14zM16.2 16.2l4 4"},
        {"screen", "M3 5h18v11H3zM8 20h8M12 16v4"},
        {"save", "M5 4h11l3 3v13H5zM8 4v5h7V4M8 20v-6h8v6"},
        {"settings", "M4 6h10M18 6h2M4 12h4M12 12h8M4 18h12M16 4a2 2 0 1 0 0 4a2 2 0 1 0 0-4zM10 "
                     "10a2 2 0 1 0 0 4a2 2 0 1 0 0-4zM18 16a2 2 0 1 0 0 4a2 2 0 1 0 0-4z"},
        {"routes", "M3 12h5l4-6h7M8 12l4 6h7M16 3l3 3-3 3M16 15l3 3-3 3"},
        {"collapse", "M11 17l-5-5 5-5M18 17l-5-5 5-5"},
        {"expand", "M13 17l5-5-5-5M6 17l5-5-5-5"},
        {"hide", "M3 3l18 18M10.6 6.1A9.6 9.6 0 0 1 12 6c5 0 9 6 9 6a16 16 0 0 1-3.2 3.7M6.6 "
                 "6.6C4.2 8.2 3 12 3 12s4 6 9 6a9 9 0 0 0 4.4-1.1M9.9 9.9a3 3 0 0 0 4.2 4.2"},
        {"plus", "M12 5v14M5 12h14"},
        {"trash", "M5 7h14M10 7V5h4v2M7 7l1 12h8l1-12"},
        {"mic", "M9 3h6v11a3 3 0 0 1-6 0zM5 11a7 7 0 0 0 14 0M12 18v3"},
        {"speaker", "M4 9v6h4l5 4V5L8 9zM16.5 8.5a5 5 0 0 1 0 7M19 6a8.5 8.5 0 0 1 0 12"},
        {"download", "M12 4v11M7 10l5 5 5-5M5 19h14"},
        {"check", "M5 12l5 5 9-10"},
        {"warning", "M12 4l9.5 16h-19zM12 10v4.5M12 17.5v.01"},
        {"info", "M12 3a9 9 0 1 0 0 18a9 9 0 1 0 0-18zM12 11v6M12 7.5v.01"},
        {"pencil", "M4 20h4L19 9l-4-4L4 16zM13.5 6.5l4 4"},
        {"play", "M7 5l12 7-12 7z"},
        {"stop", "M6.5 6.5h11v11h-11z"},
        {"app", "M4 5h16v14H4zM4 9h16M7 7h.01"},
        {"bell", "M6 16v-5a6 6 0 0 1 12 0v5l2 2H4zM10 20.5h4"},
        {"chevronDown", "M6 9l6 6 6-6"},
        {"chevronUp", "M6 15l6-6 6 6"},
        {"folder", "M3 6h6l2 2h10v11H3z"},
        {"refresh", "M20 12a8 8 0 1 1-2.3-5.7M20 4v5h-5"},
        {"dot", "@M12 8a4 4 0 1 0 0 8a4 4 0 1 0 0-8z"},
        {"voice", "M10 3h4v9a2 2 0 0 1-4 0zM6 10a6 6 0 0 0 12 0M12 16v4M2.5 9v4M21.5 9v4M5 "
                  "7.5v7M19 7.5v7"},
        {"keyboard", "M3 6h18v12H3zM7 10h.01M11 10h.01M15 10h.01M7 14h10"},
        {"link", "M10 14a4 4 0 0 0 5.7 0l3-3a4 4 0 0 0-5.7-5.7l-1 1M14 10a4 4 0 0 0-5.7 0l-3 3a4 4 "
                 "0 0 0 5.7 5.7l1-1"},
        {"scenes", "M12 4l8 4-8 4-8-4zM4 12l8 4 8-4M4 16l8 4 8-4"},
        {"densityFull", "M6 3v18M12 3v18M18 3v18M4 8h4M10 15h4M16 10h4"},
        {"densityCompact", "M6 7v10M12 7v10M18 7v10M4 10h4M10 14h4M16 11h4"},
    };
    return icons;
}

} // namespace qv::ui
