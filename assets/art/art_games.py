"""Drawings of the art_games pictures."""

PICTURES = {}
