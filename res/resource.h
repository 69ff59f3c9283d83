// Resource ids shared by the dialog template, the icon and the code.
#ifndef QUILLABY_RESOURCE_H
#define QUILLABY_RESOURCE_H

#define IDD_SWEEP_DIALOG        102
#define IDR_MAINFRAME           128

#define IDC_RUN                 1000
#define IDC_WIDTH               1001
#define IDC_BACK_RED            1002
#define IDC_BACK_GREEN          1003
#define IDC_BACK_BLUE           1004
#define IDC_BAR_RED             1005
#define IDC_BAR_GREEN           1006
#define IDC_BAR_BLUE            1007
#define IDC_MULTIPLIER          1008
#define IDC_DIVIDER             1009
#define IDC_RATE                1010
#define IDC_DEVICE              1011
#define IDC_PACING              1012
#define IDC_COVERAGE            1013
#define IDC_GRAPH               1014
#define IDC_COPY                1015

#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif

#ifndef ID_HELP
#define ID_HELP                 57670
#endif

#endif
