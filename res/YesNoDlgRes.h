// Control identifiers of the yes/no question (block 400-499).
#pragma once

#define IDD_YESNO 400

#define IDT_YESNO_TOP 401
#define IDT_YESNO_BOT 402
#define IDB_YESNO_YES 403
#define IDB_YESNO_NO 404
