' The dialect's precedence and the result types of mixed operands.
A% = 32767
PRINT A% + 1&
PRINT 10 / 4
PRINT 1 / 3
PRINT 1# / 3
PRINT 2 ^ 10
PRINT -2 ^ 2
PRINT 2 ^ -1
PRINT 5 + 3 * 2 ^ 2
PRINT (5 + 3) * 2
PRINT 7 \ 2 * 2
PRINT 10 MOD 4 \ 2
PRINT 1 + 2 = 3
PRINT NOT 0
PRINT 5 AND 3; 5 OR 3; 5 XOR 3
PRINT 0 EQV 0; -1 IMP 0
PRINT 1 < 2 AND 2 < 3
PRINT NOT 1 = 2
'> text 1:  32768
'> text 2:  2.5
'> text 3:  .3333333
'> text 4:  .3333333333333333
'> text 5:  1024
'> text 6: -4
'> text 7:  .5
'> text 8:  17
'> text 9:  16
'> text 10:  1
'> text 11:  0
'> text 12: -1
'> text 13: -1
'> text 14:  1  7  6
'> text 15: -1  0
'> text 16: -1
'> text 17: -1
