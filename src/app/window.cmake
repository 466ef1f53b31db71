# Filled in with the main window.
