' Integer division truncates toward zero; MOD takes the dividend's sign.
PRINT 7 \ 2; -7 \ 2; 7 MOD 3; -7 MOD 3; 7 MOD -3
PRINT 7.6 \ 2; 2.5 \ 1; 3.5 \ 1
'> text 1:  3 -3  1 -1  1
'> text 2:  4  2  4
