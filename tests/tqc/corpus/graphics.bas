SCREEN 13
PSET (10, 10), 4
LINE (0, 0)-(5, 0), 2
LINE (20, 20)-(22, 22), 3, BF
LINE (30, 30)-(34, 34), 5, B
CIRCLE (100, 100), 10, 7
PSET (50, 50): PRESET (50, 50)
LINE -(60, 50), 9
LINE (70, 70)-STEP(2, 0), 11
PSET STEP(1, 0), 12
P = POINT(10, 10): PSET (200, 100), P
'> pixel 10,10: 4
'> pixel 0,0: 2
'> pixel 5,0: 2
'> pixel 6,0: 0
'> pixel 21,21: 3
'> pixel 32,32: 0
'> pixel 30,32: 5
'> pixel 110,100: 7
'> pixel 90,100: 7
'> pixel 100,100: 0
'> pixel 55,50: 9
'> pixel 72,70: 11
'> pixel 73,70: 12
'> pixel 200,100: 4
