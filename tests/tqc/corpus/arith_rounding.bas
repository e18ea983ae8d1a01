' Conversion to an integer rounds to the nearest, ties to even.
F = 2.5: I% = F: PRINT I%
F = 3.5: I% = F: PRINT I%
F = -2.5: I% = F: PRINT I%
PRINT CINT(0.5); CINT(1.5); CLNG(-1.5); CINT(2.4999)
G# = 1.5: PRINT CLNG(G#); INT(-1.5); FIX(-1.5); INT(1.5)
PRINT ABS(-3); ABS(-2.5); SGN(-4); SGN(0); SGN(0.1)
PRINT SQR(16); 3 * 4 / 5; 10 / 4 * 4
'> text 1:  2
'> text 2:  4
'> text 3: -2
'> text 4:  0  2 -2  2
'> text 5:  2 -2 -1  1
'> text 6:  3  2.5 -1  0  1
'> text 7:  4  2.4  10
