#include "about/BrindletIcon.h"

namespace {

const char *const iconImage[] = {
    "32 32 8 1",
    "  c None",
    "k c #000000",
    "w c #FFFFFF",
    "c c #00FFFF",
    "p c #800080",
    "g c #008000",
    "o c #808000",
    "s c #808080",
    "                                ",
    "                                ",
    "                                ",
    "      kkkkkkkk                  ",
    "      kggggggks                 ",
    "      kggggggks  kkkkkkkk       ",
    "      kggggggks  kooooooks      ",
    "      kggggggks  kooooooks      ",
    "      kggggggks  kooooooks      ",
    "      kkkkkkkks  kooooooks      ",
    "       ssssssss  kooooooks      ",
    "                 kkkkkkkks      ",
    "                  ssssssss      ",
    "                                ",
    "     kkkkkkkkkkkkkkkkkkkk       ",
    "     kcccccccccccccccccck       ",
    "     kcccccccccccccccccckss     ",
    "     kwwwwwwwwwwwwwwwwwwkss     ",
    "     kwwwwwwwwkkwwwwwwwwkss     ",
    "     kwwwwwwwkppkwwwwwwwkss     ",
    "     kwwwwwwkppppkwwwwwwkss     ",
    "     kwwwwwkppppppkwwwwwkss     ",
    "     kwwwwwkppppppkwwwwwkss     ",
    "     kwwwwwkppppppkwwwwwkss     ",
    "     kwwwwwkppppppkwwwwwkss     ",
    "     kwwwwwkppppppkwwwwwkss     ",
    "     kwwwwwkppppppkwwwwwkss     ",
    "     kwwwwwkppppppkwwwwwkss     ",
    "     kkkkkkkkkkkkkkkkkkkkss     ",
    "       ssssssssssssssssssss     ",
    "       ssssssssssssssssssss     ",
    "                                "
};

}  // namespace

QPixmap BrindletIcon()
{
    return QPixmap(iconImage);
}
