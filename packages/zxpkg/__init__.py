"""Generator of the sample Zorvex package (pictures, texts, payload)."""
