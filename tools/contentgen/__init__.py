"""Builds the generated part of the game's data/ directory.

Every module writes files from fixed seeds only, so two runs give the same bytes.
Run it through tools/generate_content.py.
"""
