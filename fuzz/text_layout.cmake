# Text layout and drawing through the text calls, house and installed faces.
vareko_fuzz_target(text_layout vareko_platform)
vareko_warnings(fuzz_text_layout)
