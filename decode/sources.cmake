# Codec core compiled into both libraries (tables, bit reader and writer,
# inverse transform): the encoder and decoder share one definition.
set(TOL_CODEC_SHARED_SOURCES
)
# Decoders and blitters, in tolutil only.
set(TOL_DECODE_SOURCES
)
