"""The application colours every picture is drawn with (the program's own palette)."""

LIME = (203, 212, 43)
GREEN = (101, 176, 34)
AMBER = (227, 200, 50)
DARK_GREY = (56, 56, 56)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
