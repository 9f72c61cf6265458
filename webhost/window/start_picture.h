#pragma once

#include <gtk/gtk.h>

// The picture of the "Старт" page: an open book under the system's name,
// drawn rather than loaded, so it scales with the page.
GtkWidget* new_start_picture();
