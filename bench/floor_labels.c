/* The floor for printing labels: cairo writes the same label lines at the
 * same places into an A4 PDF. The lines come from a file of
 * "PAGE<TAB>X<TAB>Y<TAB>TEXT" lines (points, Y the top of the line), pages
 * in order; reading that file stands in for reading the rows.
 *
 * Usage: floor_labels LINES OUT.pdf FAMILY SIZE_PT */

#include <cairo-pdf.h>
#include <cairo.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv)
{
    if (argc < 5) {
        fprintf(stderr, "usage: floor_labels LINES OUT.pdf FAMILY SIZE_PT\n");
        return 2;
    }
    FILE *in = fopen(argv[1], "r");
    if (!in) {
        perror(argv[1]);
        return 1;
    }
    cairo_surface_t *surface = cairo_pdf_surface_create(argv[2], 595.28, 841.89);
    cairo_t *cr = cairo_create(surface);
    cairo_select_font_face(cr, argv[3], CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, atof(argv[4]));
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);

    char line[4096];
    int page = -1, pages = 0;
    long lines = 0;
    while (fgets(line, sizeof line, in)) {
        char *p = line, *end;
        const int pg = (int)strtol(p, &end, 10);
        const double x = strtod(end + 1, &end);
        const double y = strtod(end + 1, &end);
        char *text = end + 1;
        text[strcspn(text, "\n")] = 0;
        if (pg != page) {
            if (page >= 0)
                cairo_show_page(cr);
            page = pg;
            ++pages;
        }
        cairo_move_to(cr, x, y + fe.ascent);
        cairo_show_text(cr, text);
        ++lines;
    }
    fclose(in);
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    cairo_surface_destroy(surface);
    printf("%d %ld\n", pages, lines);
    return 0;
}
