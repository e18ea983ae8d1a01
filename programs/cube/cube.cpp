// The demo's compiled main module, for now a still picture: SCREEN 12, the title, the cube's front
// face and a line of text, then END.
#include "libtq.h"

void TQMAIN(void *) {
    libtq_set_fpu_control_word(0x037F);
    libtq_install_division_handler(division_by_zero_handler);
    const ptrszint base = tqs_tmp_list_nexti;
    tqg_screen(12, 0, 0, 0, 0, 1);
    tq_statement_frame(1);
    sub__title(tqs_new_txt("Spinavorte - (C) dzm/TeKoN^ZT^JW 2025"));
    tqs_release_tmp(base, 0);
    tq_statement_frame(3);
    sub_line(220, 140, 420, 140, 15, 0, 0, 9);
    tq_statement_frame(4);
    sub_line(420, 140, 420, 340, 15, 0, 0, 9);
    tq_statement_frame(5);
    sub_line(420, 340, 220, 340, 15, 0, 0, 9);
    tq_statement_frame(6);
    sub_line(220, 340, 220, 140, 15, 0, 0, 9);
    tq_statement_frame(7);
    tqg_sub_locate(2, 2, 0, 0, 0, 3);
    tq_statement_frame(8);
    tqs *local = tqs_new(0, 0);
    tqs_set(local, tqs_new_txt("The cube will turn here."));
    makefit(local);
    tqs_print(local, 0);
    tqs_print(nothingstring, 1);
    tqs_free(local);
    tqs_release_tmp(base, 0);
    tq_statement_frame(9);
    sub_end();
}
