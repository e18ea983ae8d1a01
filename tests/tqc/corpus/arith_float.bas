' SINGLE arithmetic rounds every operation to single precision, DOUBLE keeps sixteen digits.
X# = 0.1 + 0.2: PRINT X#
Y! = 0.1 + 0.2: PRINT Y!
Z# = 0.1# + 0.2#: PRINT Z#
PRINT 12345678; 1234567!; 100000 * 3
PRINT 1E+20; 1D+20; -0.5; 0.001
A&& = 3000000000&&: PRINT A&& * 2
PRINT 1 / 0 > 1E+38
'> text 1:  .300000011920929
'> text 2:  .3
'> text 3:  .3
'> text 4:  12345678  1234567  300000
'> text 5:  1E+20  1D+20 -.5  .001
'> text 6:  6000000000
'> text 7: -1
