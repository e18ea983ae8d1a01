SCREEN 7, , 1, 0
PSET (1, 1), 4
PCOPY 1, 0
SCREEN 7, , 0, 0
PSET (3, 3), 2
'> pixel 1,1: 4
'> pixel 3,3: 2
