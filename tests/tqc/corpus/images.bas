SCREEN 13
PALETTE 1, 63
H& = _NEWIMAGE(20, 10, 13)
_DEST H&
PSET (1, 1), 5
_DEST 0
PSET (2, 2), 6
_FREEIMAGE H&
COLOR 3
CLS
PSET (4, 4), 1
'> palette 1: 0x00FF0000
'> pixel 4,4: 1
'> pixel 1,1: 0
'> pixel 2,2: 0
