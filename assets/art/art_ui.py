"""Drawings of the art_ui pictures."""

PICTURES = {}
