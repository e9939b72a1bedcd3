// Control identifiers of the information box (block 500-599).
#pragma once

#define IDD_INFOBOX 500

#define IDA_INFOBOX_WORK 501
#define IDT_INFOBOX_TOP 502
#define IDT_INFOBOX_BOT 503
