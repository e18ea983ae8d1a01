SCREEN 13
VIEW (100, 100)-(109, 109), 1, 2
PSET (0, 0), 8
PSET (20, 0), 8
VIEW
WINDOW SCREEN (0, 0)-(31.9, 19.9)
PSET (1, 1), 6
WINDOW
PSET (300, 150), 13
'> pixel 105,105: 1
'> pixel 99,105: 2
'> pixel 100,100: 8
'> pixel 120,100: 0
'> pixel 10,10: 6
'> pixel 300,150: 13
