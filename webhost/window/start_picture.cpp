#include "start_picture.h"

#include <algorithm>
#include <cmath>

namespace {

void draw_background(cairo_t* cr, double width, double height) {
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, height);
  cairo_pattern_add_color_stop_rgb(sky, 0, 0.10, 0.14, 0.30);
  cairo_pattern_add_color_stop_rgb(sky, 1, 0.30, 0.22, 0.38);
  cairo_set_source(cr, sky);
  cairo_paint(cr);
  cairo_pattern_destroy(sky);
  // A few stars over the book.
  cairo_set_source_rgb(cr, 0.95, 0.92, 0.75);
  const double stars[][2] = {{0.08, 0.12}, {0.22, 0.30}, {0.35, 0.08}, {0.64, 0.16}, {0.78, 0.34}, {0.9, 0.1}};
  for (const auto& star : stars) {
    cairo_arc(cr, star[0] * width, star[1] * height, 1.6, 0, 2 * M_PI);
    cairo_fill(cr);
  }
}

// One page of the book, its outer edge at `edge`, with lines of text.
void draw_page(cairo_t* cr, double spine, double edge, double top, double bottom) {
  double rise = (bottom - top) * 0.08;
  cairo_move_to(cr, spine, top + rise);
  cairo_curve_to(cr, (spine + edge) / 2, top - rise, (spine + edge) / 2, top, edge, top);
  cairo_line_to(cr, edge, bottom);
  cairo_curve_to(cr, (spine + edge) / 2, bottom, (spine + edge) / 2, bottom - rise * 2, spine, bottom);
  cairo_close_path(cr);
  cairo_set_source_rgb(cr, 0.96, 0.92, 0.80);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0.45, 0.35, 0.25);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  cairo_set_source_rgba(cr, 0.35, 0.30, 0.25, 0.6);
  cairo_set_line_width(cr, 1);
  double margin = (edge - spine) * 0.12;
  for (double y = top + rise * 2.5; y < bottom - rise * 1.5; y += (bottom - top) / 11) {
    cairo_move_to(cr, spine + margin, y);
    cairo_line_to(cr, edge - margin, y);
    cairo_stroke(cr);
  }
}

void draw_title(cairo_t* cr, double width, double y, double size, const char* text, cairo_font_slant_t slant,
                cairo_font_weight_t weight) {
  cairo_select_font_face(cr, "Serif", slant, weight);
  cairo_set_font_size(cr, size);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text, &extents);
  cairo_move_to(cr, (width - extents.width) / 2 - extents.x_bearing, y);
  cairo_show_text(cr, text);
}

gboolean draw(GtkWidget* area, cairo_t* cr, gpointer) {
  double width = gtk_widget_get_allocated_width(area);
  double height = gtk_widget_get_allocated_height(area);
  draw_background(cr, width, height);
  double spine = width / 2;
  double half = std::min(width * 0.32, height * 0.45);
  draw_page(cr, spine, spine - half, height * 0.45, height * 0.88);
  draw_page(cr, spine, spine + half, height * 0.45, height * 0.88);
  cairo_set_source_rgb(cr, 0.98, 0.85, 0.45);
  draw_title(cr, width, height * 0.26, height * 0.16, "КИВ 2", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_source_rgb(cr, 0.90, 0.88, 0.95);
  draw_title(cr, width, height * 0.38, height * 0.06, "текстовые приключения", CAIRO_FONT_SLANT_ITALIC,
             CAIRO_FONT_WEIGHT_NORMAL);
  return FALSE;
}

}  // namespace

GtkWidget* new_start_picture() {
  GtkWidget* area = gtk_drawing_area_new();
  gtk_widget_set_size_request(area, 420, 260);
  g_signal_connect(area, "draw", G_CALLBACK(draw), nullptr);
  return area;
}
