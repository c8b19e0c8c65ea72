#ifndef BIVANE_RESOURCE_H
#define BIVANE_RESOURCE_H

// Shared by bivane.rc and the code. The drive and folder bitmaps are also
// stored under their names (FLOPPY, HARD, ...), which is how the drive
// selector and the directory tree load them.

#define IDI_MAINICON 1

#define IDB_FLOPPY 101
#define IDB_HARD 102
#define IDB_NETWORK 103
#define IDB_CDROM 104
#define IDB_RAM 105

#define IDB_OPENFOLDER 110
#define IDB_CURRENTFOLDER 111
#define IDB_CLOSEDFOLDER 112

// 64 x 16: plain file, directory, program, tagged file; magenta is the mask.
#define IDB_LISTIMAGES 120

#define IDB_SHOWTREE 130
#define IDB_SHOWTREE_GREY 131
#define IDB_NEWDIR 132
#define IDB_NEWDIR_GREY 133
#define IDB_UPLEVEL 134
#define IDB_UPLEVEL_GREY 135

#endif
