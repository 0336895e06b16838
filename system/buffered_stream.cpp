// placeholder until the buffered stream lands
