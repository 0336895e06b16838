// placeholder until the text services land
