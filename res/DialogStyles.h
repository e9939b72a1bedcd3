/* The look every dialog of the installer shares: a fixed frame centred on
   the screen, a caption, and the shell's dialog font. A template names only
   what it adds (a close box, a minimise button). */
#ifndef MIVOX_DIALOG_STYLES_H
#define MIVOX_DIALOG_STYLES_H

#define MIVOX_DIALOG_FRAME DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION
#define MIVOX_DIALOG_STYLE MIVOX_DIALOG_FRAME | WS_SYSMENU
#define MIVOX_DIALOG_FONT 8, "MS Shell Dlg", 400, 0, 1

#endif
